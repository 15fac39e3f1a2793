# Feeds notation_pdf a guide far longer than a page - a paragraph that spans
# pages, an unbroken address wider than the page, a long list, many examples
# and a table of many rows - and checks that nothing is lost or printed
# outside the page, and that the table repeats its header on every page.
#   -DTOOL=<notation_pdf> -DPDFINFO=<pdfinfo> -DPDFTOTEXT=<pdftotext> -DWORK=<scratch folder>

include(${CMAKE_CURRENT_LIST_DIR}/PdfChecks.cmake)
require_tool(PDFINFO pdfinfo)
require_tool(PDFTOTEXT pdftotext)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

set(src "= 長い文書の組版\n\n# 1. 長い段落\n\n")
string(REPEAT "オークションの終了が近づくと声で知らせます。" 120 long)
string(APPEND src "${long}\n\n")
string(REPEAT "abcdefghij" 25 address)
string(APPEND src "https://auctions.example/${address}\n\n# 2. 箇条書き\n\n")
foreach(i RANGE 1 30)
  string(APPEND src "- 項目${i}です。二行にわたる長さの項目を書いて、折り返しと字下げを確かめます。もう少し続けて、確実に一行に収まらない長さにします。\n")
endforeach()
string(APPEND src "\n# 3. 例\n\n")
foreach(i RANGE 1 25)
  string(APPEND src "> おーく'しょん/もうすぐ、おわるよ。 -- 例の${i}番目\n")
endforeach()
string(APPEND src "\n# 4. 表\n\n| 番号 | 記号列 | 説明列 |\n")
foreach(i RANGE 1 90)
  string(APPEND src "| 行${i} | `にゅーさつ/わすれずに` | 行の説明です。 |\n")
endforeach()
file(WRITE ${WORK}/long.txt "${src}")

execute_process(COMMAND ${TOOL} ${WORK}/long.txt ${WORK}/long.pdf RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "notation_pdf refused the long guide (${rc}):\n${err}")
endif()

check_pdf_basics(${WORK}/long.pdf ${PDFINFO} pages)
if(pages LESS 6)
  message(FATAL_ERROR "the long guide fits on ${pages} pages; page breaks are not happening")
endif()

pdf_text_compact(${WORK}/long.pdf ${PDFTOTEXT} ${WORK} text)
require_phrases("${text}" "${long}" "https://auctions.example/${address}" "例の1番目" "例の25番目" "項目30です。")
foreach(i RANGE 1 30)
  require_phrases("${text}" "項目${i}です。")
endforeach()

check_pdf_layout(${WORK}/long.pdf ${PDFTOTEXT} ${WORK} HEADER "説明列" ROW_REGEX "^行[0-9]+$" ROWS_VAR rows)
set(expected "")
foreach(i RANGE 1 90)
  list(APPEND expected "行${i}")
endforeach()
if(NOT rows STREQUAL expected)
  message(FATAL_ERROR "table rows missing or out of order:\n${rows}")
endif()
message(STATUS "${pages} pages, all 90 table rows in order")
