package de.ardilux.vorna;

import java.util.concurrent.CountDownLatch;

/** A test application that has every lifecycle method but pause. */
public final class Vorna {
    private static final CountDownLatch shutdown = new CountDownLatch(1);

    private Vorna() {}

    public static void main(String[] args) throws InterruptedException {
        TestRecord.start(args);
        shutdown.await();
        TestRecord.record("main-exit");
    }

    public static void gracefulShutdown() {
        TestRecord.awaitStart();
        TestRecord.record("gracefulShutdown");
        shutdown.countDown();
    }

    public static void cont() {
        TestRecord.awaitStart();
        TestRecord.record("cont");
    }
}
