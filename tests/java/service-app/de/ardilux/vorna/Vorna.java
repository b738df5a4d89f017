package de.ardilux.vorna;

import java.util.concurrent.CountDownLatch;

/** A test application with the whole lifecycle: main runs until gracefulShutdown is called. */
public final class Vorna {
    private static final CountDownLatch shutdown = new CountDownLatch(1);

    private Vorna() {}

    public static void main(String[] args) throws InterruptedException {
        TestRecord.start(args);
        String mode = TestRecord.behaviourOf("main");
        if (mode.equals("throw")) {
            TestRecord.record("main-throws");
            throw new IllegalStateException("test application main throws");
        }
        if (mode.startsWith("exit:")) {
            TestRecord.record("main-calls-exit");
            System.exit(Integer.parseInt(mode.substring("exit:".length())));
        }
        if (mode.startsWith("return")) {
            if (mode.startsWith("return:")) {
                Thread.sleep(Long.parseLong(mode.substring("return:".length())));
            }
            TestRecord.record("main-exit");
            return;
        }
        shutdown.await();
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
}
