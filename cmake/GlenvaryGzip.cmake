# cmake -DINPUT=<file> -DOUTPUT=<file> -P GlenvaryGzip.cmake
# Writes INPUT gzip-compressed to OUTPUT, as `gzip -9 -c` would, with CMake's
# own libarchive, so that the build needs no gzip program.
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "GlenvaryGzip.cmake needs INPUT and OUTPUT")
endif()
file(ARCHIVE_CREATE OUTPUT "${OUTPUT}" PATHS "${INPUT}" FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
