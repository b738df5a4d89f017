package de.ardilux.vorna;

/** The only class of a jar that lacks the application's main class. */
public final class Other {
    private Other() {}

    public static void main(String[] args) {}
}
