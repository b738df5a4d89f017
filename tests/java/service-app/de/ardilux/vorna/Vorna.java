package de.ardilux.vorna;

import java.io.FileOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.io.Writer;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.concurrent.CountDownLatch;
import javax.management.MBeanServer;
import javax.management.ObjectName;

/**
 * A test application with the whole lifecycle: main runs until gracefulShutdown is called.
 * Besides the calls' behaviours (TestRecord.behave), behaviour.properties may ask for:
 * main=throw, main=return[:MS] (end by itself), main=save:MS (after gracefulShutdown, take MS to
 * write "state.txt" whole), main=hang (never end, even after gracefulShutdown); hook=record,
 * hook=delay:MS or hook=hang (a shutdown hook that records itself, and then returns, returns after
 * MS or never ends); thread=hang (a
 * non-daemon thread that never ends); print=N (print N numbered lines of 100 characters, out and err
 * in turn, then a worker thread's uncaught exception, then "after worker"; System.exit and the end
 * of main after gracefulShutdown each say so first; with print-to=file the numbered lines go to
 * "printed.txt" of the data directory instead, through a stream of the application's own);
 * worker=lock (a thread "test-lock-holder" that sleeps in sleepHoldingTheTestLock holding a
 * TestLock) or worker=deadlock (two threads "test-deadlock-1" and "-2" that deadlock on two);
 * threads=N (N more threads that sleep, and one that takes the VM's thread dump in-process each
 * time "floor-dump-request" appears in the data directory, recording how long the call took). The class's initialisation takes as many milliseconds as
 * "class-init-delay.txt" in the working directory (the installation directory) says, as a slow
 * static initialiser at a slow boot might.
 */
public final class Vorna {
    private static final int STATE_PARTS = 10;

    private static final CountDownLatch shutdown = new CountDownLatch(1);

    static {
        TestRecord.delayClassInitialisation();
    }

    private Vorna() {}

    public static void main(String[] args) throws InterruptedException, IOException {
        TestRecord.start(args);
        addShutdownHook(TestRecord.behaviourOf("hook"));
        if (TestRecord.behaviourOf("thread").equals("hang")) {
            startEndlessThread();
        }
        startWorkers(TestRecord.behaviourOf("worker"));
        if (!TestRecord.behaviourOf("threads").isEmpty()) {
            startSleepers(Integer.parseInt(TestRecord.behaviourOf("threads")));
        }
        boolean printing = !TestRecord.behaviourOf("print").isEmpty();
        if (printing) {
            printLines(Integer.parseInt(TestRecord.behaviourOf("print")));
        }
        String mode = TestRecord.behaviourOf("main");
        if (mode.equals("throw")) {
            TestRecord.record("main-throws");
            throw new IllegalStateException("test application main throws");
        }
        if (mode.startsWith("exit:")) {
            TestRecord.record("main-calls-exit");
            int status = Integer.parseInt(mode.substring("exit:".length()));
            if (printing) {
                System.out.println("calling System.exit(" + status + ")");
            }
            System.exit(status);
        }
        if (mode.startsWith("return")) {
            if (mode.startsWith("return:")) {
                Thread.sleep(Long.parseLong(mode.substring("return:".length())));
            }
            TestRecord.record("main-exit");
            return;
        }
        shutdown.await();
        if (mode.equals("hang")) {
            TestRecord.record("main-ignores-stop");
            TestRecord.sleepForever();
        }
        if (mode.startsWith("save:")) {
            saveState(Long.parseLong(mode.substring("save:".length())));
        }
        if (printing) {
            System.out.println("main ends after gracefulShutdown");
        }
        TestRecord.record("main-exit");
    }

    public static void gracefulShutdown() {
        TestRecord.awaitStart();
        TestRecord.record("gracefulShutdown");
        try {
            TestRecord.behave("gracefulShutdown");
        } finally {
            shutdown.countDown();
        }
    }

    public static void pause() {
        TestRecord.awaitStart();
        TestRecord.record("pause");
        TestRecord.behave("pause");
    }

    public static void cont() {
        TestRecord.awaitStart();
        TestRecord.record("cont");
        TestRecord.behave("cont");
    }

    /** Lines "out 000000 xxx..." and "err 000001 xxx...", 100 characters each, on System.out and
     * System.err in turn; then a thread that dies of an uncaught exception, which the VM reports on
     * System.err. */
    private static void printLines(int count) throws InterruptedException, IOException {
        String padding = "x".repeat(89);
        boolean toFile = TestRecord.behaviourOf("print-to").equals("file");
        // As System.out and System.err are made: a flush at each line.
        PrintStream file = toFile
                ? new PrintStream(new FileOutputStream(TestRecord.dataFile("printed.txt").toFile()), true)
                : null;
        long begin = TestRecord.nowMicros();
        for (int i = 0; i < count; i++) {
            PrintStream stream = toFile ? file : i % 2 == 0 ? System.out : System.err;
            stream.println(String.format("%s %06d %s", i % 2 == 0 ? "out" : "err", i, padding));
        }
        long took = TestRecord.nowMicros() - begin;
        if (file != null) {
            file.close();
        }
        Thread worker = new Thread(() -> {
            throw new IllegalStateException("test worker throws");
        }, "test-worker");
        worker.start();
        worker.join();
        System.out.println("after worker");
        TestRecord.record("printed\t" + took);
    }

    /** A lock of the application's own, which a thread dump names by its class. */
    static final class TestLock {}

    private static void startWorkers(String worker) throws InterruptedException {
        if (worker.equals("lock")) {
            TestLock lock = new TestLock();
            Thread holder = new Thread(() -> sleepHoldingTheTestLock(lock), "test-lock-holder");
            holder.setDaemon(true);
            holder.start();
            TestRecord.record("worker-started");
        }
        if (worker.equals("deadlock")) {
            TestLock first = new TestLock();
            TestLock second = new TestLock();
            CountDownLatch bothHoldOne = new CountDownLatch(2);
            startDeadlocking("test-deadlock-1", first, second, bothHoldOne);
            startDeadlocking("test-deadlock-2", second, first, bothHoldOne);
            bothHoldOne.await();
            TestRecord.record("worker-started");
        }
    }

    private static void startSleepers(int count) {
        for (int i = 0; i < count; i++) {
            Thread sleeper = new Thread(TestRecord::sleepForever, "test-sleeper-" + i);
            sleeper.setDaemon(true);
            sleeper.start();
        }
        Thread dumper = new Thread(Vorna::dumpOnRequest, "test-floor-dumper");
        dumper.setDaemon(true);
        dumper.start();
        TestRecord.record("threads-started");
    }

    /** The VM's thread dump through the same diagnostic command, called in-process. */
    private static void dumpOnRequest() {
        Path request = TestRecord.dataFile("floor-dump-request");
        try {
            MBeanServer server = ManagementFactory.getPlatformMBeanServer();
            ObjectName command = new ObjectName("com.sun.management:type=DiagnosticCommand");
            while (true) {
                if (Files.deleteIfExists(request)) {
                    long begin = System.nanoTime();
                    String dump = (String) server.invoke(command, "threadPrint", new Object[] {new String[] {"-l"}},
                            new String[] {String[].class.getName()});
                    long took = (System.nanoTime() - begin) / 1000;
                    TestRecord.record("floor-dump\t" + took + "\t" + dump.length());
                }
                TestRecord.sleep(5);
            }
        } catch (Exception e) {
            TestRecord.record("floor-dump-failed\t" + e);
        }
    }

    private static void sleepHoldingTheTestLock(TestLock lock) {
        synchronized (lock) {
            TestRecord.sleepForever();
        }
    }

    private static void startDeadlocking(String name, TestLock mine, TestLock theirs, CountDownLatch bothHoldOne) {
        Thread thread = new Thread(() -> {
            synchronized (mine) {
                bothHoldOne.countDown();
                try {
                    bothHoldOne.await();
                } catch (InterruptedException e) {
                    return;
                }
                synchronized (theirs) {
                    TestRecord.record("no-deadlock");
                }
            }
        }, name);
        thread.setDaemon(true);
        thread.start();
    }

    /** Writes "state.txt" part by part over millis, each part on disk before the next: a process
     * ended meanwhile leaves it without its last line "complete". */
    private static void saveState(long millis) throws IOException {
        try (Writer out = Files.newBufferedWriter(TestRecord.dataFile("state.txt"), StandardCharsets.UTF_8)) {
            for (int part = 1; part <= STATE_PARTS; part++) {
                TestRecord.sleep(millis / STATE_PARTS);
                out.write("part " + part + " of " + STATE_PARTS + "\n");
                out.flush();
            }
            out.write("complete\n");
        }
        TestRecord.record("state-saved\t" + TestRecord.nowMicros());
    }

    private static void addShutdownHook(String hook) {
        if (!hook.equals("record") && !hook.equals("hang") && !hook.startsWith("delay:")) {
            return;
        }
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            TestRecord.record("shutdown-hook");
            if (hook.equals("hang")) {
                TestRecord.sleepForever();
            }
            if (hook.startsWith("delay:")) {
                TestRecord.sleep(Long.parseLong(hook.substring("delay:".length())));
            }
        }, "test-shutdown-hook"));
    }

    private static void startEndlessThread() {
        Thread endless = new Thread(TestRecord::sleepForever, "test-endless");
        endless.setDaemon(false);
        endless.start();
        TestRecord.record("thread-started");
    }
}
