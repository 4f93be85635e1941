# cmake -DINPUT=<file> -DOUTPUT=<file> [-DGZIP=<gzip program>] -P GlenvaryGzip.cmake
# Writes INPUT gzip-compressed to OUTPUT, as `gzip -9 -c` would, with CMake's
# own libarchive, so that the build needs no gzip program. Given one, it
# runs `gzip -9 -n`, whose output keeps no time stamp: files that a package
# ships are the same whenever they are built.
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "GlenvaryGzip.cmake needs INPUT and OUTPUT")
endif()
if(GZIP)
  execute_process(COMMAND "${GZIP}" -9 -n -c "${INPUT}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${INPUT}")
  endif()
  return()
endif()
file(ARCHIVE_CREATE OUTPUT "${OUTPUT}" PATHS "${INPUT}" FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
