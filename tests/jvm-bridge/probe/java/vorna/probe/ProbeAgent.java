package vorna.probe;

/** Started by -javaagent: leaves a mark that BridgeProbe.main looks for. */
public final class ProbeAgent {
    static final String property = "vorna.probe.agent";

    private ProbeAgent() {
    }

    public static void premain(String arguments) {
        System.setProperty(property, "loaded");
    }
}
