package de.ardilux.vorna.agent;

import java.lang.instrument.Instrumentation;

/** The instrumentation agent the VM is started with; it has nothing to instrument. */
public final class Agent {
    private Agent() {}

    public static void premain(String arguments, Instrumentation instrumentation) {}
}
