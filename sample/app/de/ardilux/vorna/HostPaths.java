package de.ardilux.vorna;

import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;

/**
 * The launcher hands the application Windows paths. On a VM that does not run on Windows (a VM
 * under Wine), they are found from the working directory, which the launcher makes the
 * installation directory.
 */
final class HostPaths {
    private HostPaths() {}

    static Path of(String installDirectory, String windowsPath) {
        if (System.getProperty("os.name").startsWith("Windows")) {
            return Paths.get(windowsPath);
        }
        Path root = Paths.get("").toAbsolutePath();
        for (int i = 0; i < segments(installDirectory).length; i++) {
            root = root.getParent();
        }
        Path path = root;
        for (String segment : segments(windowsPath)) {
            path = path.resolve(segment);
        }
        return path;
    }

    private static String[] segments(String windowsPath) {
        return Arrays.stream(windowsPath.replaceFirst("^[A-Za-z]:", "").split("[\\\\/]+"))
                .filter(segment -> !segment.isEmpty())
                .toArray(String[]::new);
    }
}
