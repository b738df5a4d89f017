package de.ardilux.vorna;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.time.LocalTime;
import java.time.temporal.ChronoUnit;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/**
 * A sample application for the launcher: it writes a heartbeat line into "heartbeat.log" of its
 * data directory every second, skips the beats while paused, and ends when the service is
 * stopped or when a file named "stop" appears in the data directory (the way to end a run in the
 * foreground).
 */
public final class Vorna {
    private static final CountDownLatch shutdown = new CountDownLatch(1);
    private static volatile boolean paused;
    private static volatile Path heartbeat;

    private Vorna() {}

    public static void main(String[] args) throws InterruptedException, IOException {
        Path data = HostPaths.of(args[0], args[1]);
        heartbeat = data.resolve("heartbeat.log");
        Path stopFile = data.resolve("stop");
        System.out.println("Sample application: installed in " + args[0] + ", data in " + args[1]);
        note("started");
        int beat = 0;
        while (!shutdown.await(1, TimeUnit.SECONDS)) {
            if (Files.deleteIfExists(stopFile)) {
                note("stop file found");
                break;
            }
            if (!paused) {
                note("heartbeat " + ++beat);
            }
        }
        note("ends");
        System.out.println("Sample application: ends after " + beat + " heartbeats");
    }

    public static void gracefulShutdown() {
        note("shutdown requested");
        shutdown.countDown();
    }

    public static void pause() {
        paused = true;
        note("paused");
    }

    public static void cont() {
        paused = false;
        note("continued");
    }

    private static synchronized void note(String what) {
        Path file = heartbeat;
        if (file == null) {
            return;
        }
        String line = LocalTime.now().truncatedTo(ChronoUnit.SECONDS) + " " + what + System.lineSeparator();
        try {
            Files.write(file, line.getBytes(StandardCharsets.UTF_8), StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        } catch (IOException e) {
            System.err.println("Sample application: cannot write " + file + ": " + e);
        }
    }
}
