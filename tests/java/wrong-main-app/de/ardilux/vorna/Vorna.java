package de.ardilux.vorna;

/** A test application whose main takes no String array. */
public final class Vorna {
    private Vorna() {}

    public static void main(String argument) {
        System.err.println("main(String) must never be called: " + argument);
    }

    public static void gracefulShutdown() {}
}
