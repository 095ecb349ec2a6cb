# Configures and builds veskal alone (no tests, no companions) with a cross
# toolchain. -DSOURCE=... -DBINARY=... -DGENERATOR=... -DTOOLCHAIN=...
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}" -G "${GENERATOR}"
          --toolchain "${TOOLCHAIN}" -DCMAKE_BUILD_TYPE=Release
          -DVESKAL_TESTS=OFF -DVESKAL_COMPANIONS=OFF
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the cross build failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY}" --target veskal -j 2
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the cross build failed")
endif()
