package vorna.probe;

import java.io.File;
import java.io.FileDescriptor;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.lang.reflect.Field;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;

/**
 * The Java side of bridge_probe.exe: a main that runs for a while, a lifecycle method called
 * from another thread meanwhile, a method that throws, methods that show how arguments
 * arrived, two that end the VM, and some that show the VM's options and where its output goes.
 * A failed check throws, so the probe sees it as a pending exception.
 */
public final class BridgeProbe {
    private static final CountDownLatch mainStarted = new CountDownLatch(1);
    private static final CountDownLatch ticked = new CountDownLatch(1);
    private static final AtomicInteger ticks = new AtomicInteger();
    private static final long waitSeconds = 30;

    /** What the last argument-passing call received, read back by the probe. */
    static String last = "";

    private BridgeProbe() {
    }

    public static void main(String[] args) throws InterruptedException {
        System.out.println("java: main(" + Arrays.toString(args) + ") on "
                + Thread.currentThread().getName());
        check(Arrays.equals(args, new String[] {"alpha", "beta gr\u00fc\u00df"}),
                "main got the two arguments");
        check("loaded".equals(System.getProperty(ProbeAgent.property)),
                "the agent named by a relative -javaagent: path ran");
        check(new File("libs/bridge-probe.jar").isFile(),
                "user.dir is the Windows working directory (" + System.getProperty("user.dir") + ")");
        for (String entry : System.getProperty("java.class.path").split(File.pathSeparator)) {
            check(new File(entry).isFile(), "class path entry " + entry + " is a Linux path");
        }
        String dir = System.getProperty("vorna.probe.dir");
        check(new File(dir, "libs/bridge-probe.jar").isFile(),
                "an absolute Windows path in a -D option became a Linux one (" + dir + ")");
        File log = new File(System.getProperty("vorna.probe.log"));
        check(log.getParentFile().getParentFile().equals(new File(dir)),
                "so did one in a directory not made yet (" + log + ")");
        check(optionCount("-Xrs") == 1, "the VM got -Xrs once "
                + ManagementFactory.getRuntimeMXBean().getInputArguments());
        mainStarted.countDown();
        check(ticked.await(waitSeconds, TimeUnit.SECONDS), "tick() ran while main was running");
    }

    /** The lifecycle call: the first one waits until main runs, so both must run at once. */
    public static void tick() throws InterruptedException {
        if (ticks.incrementAndGet() == 1) {
            check(mainStarted.await(waitSeconds, TimeUnit.SECONDS), "main started");
            ticked.countDown();
        }
    }

    public static void fail() {
        throw new IllegalStateException("thrown on purpose by the probe");
    }

    /** Throws for ExceptionDescribe in bulk: only the VM's own words get printed. */
    public static void failQuietly() {
        throw new QuietException();
    }

    public static void mix(double d, boolean z, byte b, char c, short s, int i, long j, float f,
            String[] a, String t) {
        last = d + "," + z + "," + b + "," + (int) c + "," + s + "," + i + "," + j + "," + f + ","
                + Arrays.toString(a) + "," + t;
    }

    public static void floatFirst(float f, long j, String t, double d) {
        last = f + "," + j + "," + t + "," + d;
    }

    public static double half(double d) {
        return d / 2;
    }

    /** Ends the VM as an application does; the VM's exit hook gets the status. */
    public static void exitWith(int status) {
        System.exit(status);
    }

    /** Allocates until the heap is full: with -XX:+CrashOnOutOfMemoryError the VM aborts. */
    public static void exhaustHeap() {
        List<long[]> hoard = new ArrayList<>();
        for (;;) {
            hoard.add(new long[1 << 16]);
        }
    }

    /** How many times the VM got {@code option}. */
    public static int optionCount(String option) {
        return Collections.frequency(ManagementFactory.getRuntimeMXBean().getInputArguments(), option);
    }

    /** One line on each standard stream. */
    public static void printLines() {
        System.out.println("java: on System.out");
        System.err.println("java: on System.err");
    }

    /**
     * Where the Linux fds that HotSpot and the standard streams write to lead; reading the
     * streams' fds takes --add-opens=java.base/java.io=ALL-UNNAMED.
     */
    public static String outputTargets() throws IOException, ReflectiveOperationException {
        Field fd = FileDescriptor.class.getDeclaredField("fd");
        fd.setAccessible(true);
        return "1 -> " + fdTarget(1) + ", 2 -> " + fdTarget(2)
                + ", System.out -> " + fdTarget(fd.getInt(FileDescriptor.out))
                + ", System.err -> " + fdTarget(fd.getInt(FileDescriptor.err));
    }

    private static String fdTarget(int fd) throws IOException {
        return Files.readSymbolicLink(Paths.get("/proc/self/fd/" + fd)).toString();
    }

    /** Its printStackTrace, which ExceptionDescribe calls, prints nothing. */
    private static final class QuietException extends RuntimeException {
        private static final long serialVersionUID = 1L;

        @Override
        public void printStackTrace() {
        }
    }

    private static void check(boolean passed, String what) {
        if (!passed) {
            throw new IllegalStateException("check failed: " + what);
        }
        System.out.println("java: ok " + what);
    }
}
