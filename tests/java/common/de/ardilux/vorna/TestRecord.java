package de.ardilux.vorna;

import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.time.Instant;
import java.util.Properties;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/**
 * What the test applications share: the record of every call they receive, written line by line
 * into "events.txt" of the data directory, and the behaviour that a test asks of them through
 * "behaviour.properties" there.
 */
final class TestRecord {
    private static final CountDownLatch ready = new CountDownLatch(1);
    private static Path data;
    private static Path events;
    private static Properties behaviour = new Properties();

    private TestRecord() {}

    static void start(String[] args) {
        long enteredMicros = micros(Instant.now());
        try {
            data = HostPaths.of(args[0], args[1]);
            events = data.resolve("events.txt");
            Path behaviourFile = data.resolve("behaviour.properties");
            if (Files.exists(behaviourFile)) {
                try (InputStream in = Files.newInputStream(behaviourFile)) {
                    behaviour.load(in);
                }
            }
        } catch (IOException | RuntimeException e) {
            System.err.println("test application cannot record: " + e);
        }
        StringBuilder line = new StringBuilder("main\t").append(args.length);
        for (String arg : args) {
            line.append('\t').append(arg);
        }
        record(line.toString());
        record("entered\t" + enteredMicros);
        ready.countDown();
    }

    /** Sleeps as long as "class-init-delay.txt" in the working directory says, when it exists. */
    static void delayClassInitialisation() {
        Path delay = Path.of("class-init-delay.txt");
        if (!Files.exists(delay)) {
            return;
        }
        try {
            sleep(Long.parseLong(Files.readString(delay).trim()));
        } catch (IOException | NumberFormatException e) {
            System.err.println("test application cannot read " + delay + ": " + e);
        }
    }

    /** Waits until main has set up the record, so that early lifecycle calls are not lost. */
    static void awaitStart() {
        try {
            ready.await(10, TimeUnit.SECONDS);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    static synchronized void record(String line) {
        if (events == null) {
            return;
        }
        try {
            Files.write(events, (line + "\n").getBytes(StandardCharsets.UTF_8),
                    StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        } catch (IOException e) {
            System.err.println("test application cannot record: " + e);
        }
    }

    /** Acts as behaviour.properties asks for the call: "return" (the default), "throw",
     * "throw:MESSAGE" (an exception with that message), "delay:MS" (then return), "delay-throw:MS"
     * (then throw, as "throw" does) or "hang" (never return). */
    static void behave(String call) {
        String action = behaviour.getProperty(call, "return");
        if (action.startsWith("delay-throw:")) {
            sleep(Long.parseLong(action.substring("delay-throw:".length())));
            action = "throw";
        }
        if (action.equals("throw")) {
            record(call + "-throws");
            throw new IllegalStateException("test application was asked to throw from " + call);
        }
        if (action.startsWith("throw:")) {
            record(call + "-throws");
            throw new IllegalStateException(action.substring("throw:".length()));
        }
        if (action.startsWith("delay:")) {
            sleep(Long.parseLong(action.substring("delay:".length())));
        } else if (action.equals("hang")) {
            sleep(Long.MAX_VALUE);
        }
    }

    static String behaviourOf(String call) {
        return behaviour.getProperty(call, "");
    }

    /** A file of the data directory. */
    static Path dataFile(String name) {
        return data.resolve(name);
    }

    static long nowMicros() {
        return micros(Instant.now());
    }

    /** Never returns, whatever interrupts the thread. */
    static void sleepForever() {
        while (true) {
            try {
                Thread.sleep(Long.MAX_VALUE);
            } catch (InterruptedException e) {
                // Asked to stop: this thread is meant not to.
            }
        }
    }

    static void sleep(long millis) {
        try {
            Thread.sleep(millis);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    private static long micros(Instant instant) {
        return instant.getEpochSecond() * 1_000_000L + instant.getNano() / 1_000L;
    }
}
