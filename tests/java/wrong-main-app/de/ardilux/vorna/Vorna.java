package de.ardilux.vorna;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;

/**
 * A test application whose main takes no String array. Loading the class registers a shutdown
 * hook that leaves "shutdown-hook.txt" in the working directory (the installation directory): the
 * evidence that the VM was shut down in order although main could not be called.
 */
public final class Vorna {
    static {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            try {
                Files.write(Paths.get("shutdown-hook.txt"), "shutdown-hook\n".getBytes(StandardCharsets.UTF_8));
            } catch (IOException e) {
                System.err.println("test application cannot leave its mark: " + e);
            }
        }, "test-shutdown-hook"));
    }

    private Vorna() {}

    public static void main(String argument) {
        System.err.println("main(String) must never be called: " + argument);
    }

    public static void gracefulShutdown() {}
}
