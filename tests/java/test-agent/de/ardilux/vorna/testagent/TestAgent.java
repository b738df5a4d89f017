package de.ardilux.vorna.testagent;

import java.io.IOException;
import java.lang.instrument.Instrumentation;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;

/**
 * An instrumentation agent that stands in for the installation's own, to act inside the VM's
 * creation as "agent-behaviour.txt" in the working directory asks: "hang" (its premain never
 * returns, so the creation never ends), "throw" (the VM cannot load its agent and aborts),
 * "delay-throw:MS" (the same after MS milliseconds: a launch that fails late), or nothing (it
 * returns at once).
 */
public final class TestAgent {
    private TestAgent() {}

    public static void premain(String arguments, Instrumentation instrumentation) throws InterruptedException {
        String behaviour = "";
        try {
            Path file = Path.of("agent-behaviour.txt");
            if (Files.exists(file)) {
                behaviour = Files.readString(file, StandardCharsets.UTF_8).trim();
            }
        } catch (IOException e) {
            System.err.println("test agent cannot read its behaviour: " + e);
        }
        if (behaviour.equals("hang")) {
            Thread.sleep(Long.MAX_VALUE);
        }
        if (behaviour.startsWith("delay-throw:")) {
            Thread.sleep(Long.parseLong(behaviour.substring("delay-throw:".length())));
            behaviour = "throw";
        }
        if (behaviour.equals("throw")) {
            throw new IllegalStateException("test agent was asked to throw");
        }
    }
}
