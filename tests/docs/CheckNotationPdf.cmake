# Checks the built guide: a readable A4 PDF of the expected length, laid out
# inside its margins, that prints every title, heading and example of its source.
#   -DPDF=<built pdf> -DSOURCE=<notation.txt> -DPAGES=<expected page count>
#   -DPDFINFO=<pdfinfo> -DPDFTOTEXT=<pdftotext> -DWORK=<scratch folder>

include(${CMAKE_CURRENT_LIST_DIR}/PdfChecks.cmake)
require_tool(PDFINFO pdfinfo)
require_tool(PDFTOTEXT pdftotext)
file(MAKE_DIRECTORY ${WORK})

check_pdf_basics(${PDF} ${PDFINFO} pages)
if(NOT pages EQUAL PAGES)
  message(FATAL_ERROR "the guide has ${pages} pages, expected ${PAGES}; "
                      "if the text really grew or shrank, update NOTATION_PDF_PAGES in tests/docs/CMakeLists.txt")
endif()

pdf_text_compact(${PDF} ${PDFTOTEXT} ${WORK} text)
# The sentence the program ships with must be shown exactly as it is typed.
require_phrases("${text}" "おーく'しょん、おわるよ。" "しゅうりょう/まぢかです。" "にゅーさつ、わすれてない？"
                "再生できません。" "しゃべる言葉:" "アラーム時に音声でも知らせる。")
source_phrases(${SOURCE} phrases)
list(LENGTH phrases count)
if(count LESS 20)
  message(FATAL_ERROR "found only ${count} headings and examples in ${SOURCE}; has the markup changed?")
endif()
require_phrases("${text}" ${phrases})

check_pdf_layout(${PDF} ${PDFTOTEXT} ${WORK})
message(STATUS "${pages} pages, ${count} headings and examples found")
