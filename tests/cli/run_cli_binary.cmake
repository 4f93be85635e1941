# Runs the built glenvary-cli on the sample articles the way a user would and
# checks what reaches the terminal, the exit status and the report file.
# Variables: GLENVARY_CLI, GLENVARY_READ, EXAMPLES_DIR, WORK_DIR, EXPECTED_VERSION.
cmake_minimum_required(VERSION 3.25)

set(article1 "${EXAMPLES_DIR}/article1.txt")
set(article2 "${EXAMPLES_DIR}/article2.txt")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

function(expect_status what actual expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what}: exit status ${actual}, expected ${expected}")
  endif()
endfunction()

execute_process(COMMAND "${GLENVARY_CLI}" --version
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_status("--version" "${status}" 0)
if(NOT out STREQUAL "glenvary-cli ${EXPECTED_VERSION}\n")
  message(FATAL_ERROR "--version printed '${out}'")
endif()

# The sample articles share about half of their text.
execute_process(COMMAND "${GLENVARY_CLI}" compare --min 3 --format json "${article1}" "${article2}"
  RESULT_VARIABLE status OUTPUT_VARIABLE json ERROR_VARIABLE err)
expect_status("compare as JSON" "${status}" 0)
if(NOT err STREQUAL "")
  message(FATAL_ERROR "compare as JSON wrote to standard error: ${err}")
endif()
string(JSON compared GET "${json}" compared)
string(JSON shown GET "${json}" duplicate_percent_shown)
string(JSON regions LENGTH "${json}" articles 1 regions)
if(NOT compared OR shown LESS 30 OR shown GREATER 70 OR regions LESS 2)
  message(FATAL_ERROR "unexpected comparison of the samples: ${json}")
endif()

# Standard input gives the same report as the file.
execute_process(COMMAND "${GLENVARY_CLI}" compare --min 3 --format json "${article1}" -
  INPUT_FILE "${article2}"
  RESULT_VARIABLE status OUTPUT_VARIABLE piped ERROR_VARIABLE err)
expect_status("compare from standard input" "${status}" 0)
# The same report, but for the name of the article read from standard input.
string(JSON piped SET "${piped}" articles 1 name "\"${article2}\"")
string(JSON json_again SET "${json}" articles 1 name "\"${article2}\"")
if(NOT piped STREQUAL json_again)
  message(FATAL_ERROR "standard input gave another report:\n${piped}\nthan the file:\n${json}")
endif()

set(page "${WORK_DIR}/samples.html")
execute_process(COMMAND "${GLENVARY_CLI}" compare --min 3 --format html -o "${page}" "${article1}" "${article2}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_status("compare as HTML" "${status}" 0)
if(NOT out STREQUAL "" OR NOT EXISTS "${page}")
  message(FATAL_ERROR "the page went to standard output or nowhere: '${out}'")
endif()
file(READ "${page}" html)
string(FIND "${html}" "<span class=\"dup\" id=\"a1-1\" style=\"background-color:#00FFFF\">" band)
if(NOT html MATCHES "^<!DOCTYPE html>" OR band EQUAL -1)
  message(FATAL_ERROR "the page shows no highlighted passage")
endif()

set(missing "${WORK_DIR}/missing.txt")
set(failed "${WORK_DIR}/failed.html")
execute_process(COMMAND "${GLENVARY_CLI}" compare -o "${failed}" "${article1}" "${missing}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_status("missing article" "${status}" 2)
if(NOT err STREQUAL "glenvary-cli: cannot read ${missing}: No such file or directory\n")
  message(FATAL_ERROR "missing article reported as '${err}'")
endif()
file(GLOB leftovers "${WORK_DIR}/failed.html*")
if(leftovers)
  message(FATAL_ERROR "a failed run left ${leftovers}")
endif()

# A PDF is read by the document reader with the PDF module, both beside the
# program; a copy of the program without them, outside the build, names
# what is missing: the reader, then, beside it, the module.
set(damaged "${WORK_DIR}/damaged.pdf")
file(WRITE "${damaged}" "%PDF-1.4\nnot really a PDF\n")
execute_process(COMMAND "${GLENVARY_CLI}" compare "${damaged}" "${article2}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_status("damaged PDF" "${status}" 2)
if(NOT err STREQUAL "glenvary-cli: cannot read ${damaged}: the PDF is damaged\n")
  message(FATAL_ERROR "damaged PDF reported as '${err}'")
endif()
string(RANDOM LENGTH 12 suffix)
set(alone "/tmp/glenvary-without-pdf-${suffix}")
file(MAKE_DIRECTORY "${alone}")
file(COPY_FILE "${GLENVARY_CLI}" "${alone}/glenvary-cli")
execute_process(COMMAND "${alone}/glenvary-cli" compare "${damaged}" "${article2}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_status("PDF without the document reader" "${status}" 2)
if(NOT err STREQUAL "glenvary-cli: cannot read ${damaged}: the document reader (glenvary-read) is not installed beside the program\n")
  file(REMOVE_RECURSE "${alone}")
  message(FATAL_ERROR "PDF without the document reader reported as '${err}'")
endif()
file(COPY_FILE "${GLENVARY_READ}" "${alone}/glenvary-read")
execute_process(COMMAND "${alone}/glenvary-cli" compare "${damaged}" "${article2}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE "${alone}")
expect_status("PDF without the module" "${status}" 2)
if(NOT err STREQUAL "glenvary-cli: cannot read ${damaged}: the PDF reader (glenvary-pdf.so) is not installed beside the program\n")
  message(FATAL_ERROR "PDF without the module reported as '${err}'")
endif()
