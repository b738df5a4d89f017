# Builds a jar from Java sources with the JDK the tests run on.
set(VORNA_JAVAC ${VORNA_JDK_HOME}/bin/javac)
set(VORNA_JAR ${VORNA_JDK_HOME}/bin/jar)

# vorna_add_jar(<target> OUTPUT <jar> SOURCES <files...> [MANIFEST <file>])
function(vorna_add_jar target)
  cmake_parse_arguments(PARSE_ARGV 1 JAR "" "OUTPUT;MANIFEST" "SOURCES")
  set(classes ${CMAKE_CURRENT_BINARY_DIR}/${target}.classes)
  if(JAR_MANIFEST)
    set(jar_command ${VORNA_JAR} --create --file ${JAR_OUTPUT} --manifest ${JAR_MANIFEST} -C ${classes} .)
  else()
    set(jar_command ${VORNA_JAR} --create --file ${JAR_OUTPUT} -C ${classes} .)
  endif()
  add_custom_command(
    OUTPUT ${JAR_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${classes}
    COMMAND ${VORNA_JAVAC} -nowarn -encoding UTF-8 -d ${classes} ${JAR_SOURCES}
    COMMAND ${jar_command}
    DEPENDS ${JAR_SOURCES} ${JAR_MANIFEST}
    COMMENT "Building ${target}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${JAR_OUTPUT})
endfunction()
