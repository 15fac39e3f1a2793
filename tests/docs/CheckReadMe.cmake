# Checks the ReadMe.txt beside the program: the current text, Linux line
# ends, and the commands, files and folders it must tell the user about.
#   -DSOURCE=<docs/ReadMe.txt> -DBUILT=<bin/ReadMe.txt> -DPDF=<built guide>

if(NOT EXISTS ${BUILT})
  message(FATAL_ERROR "${BUILT} does not exist; build the project first")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE} ${BUILT} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${BUILT} differs from ${SOURCE}; the copy is stale")
endif()

file(READ ${SOURCE} text)
if(text MATCHES "\r")
  message(FATAL_ERROR "${SOURCE} has CR line ends; it is read on Linux")
endif()
if(text MATCHES "^\xEF\xBB\xBF")
  message(FATAL_ERROR "${SOURCE} starts with a byte order mark")
endif()

# The help menu opens the guide by its file name; the ReadMe must point at the same file.
get_filename_component(guide ${PDF} NAME)
set(missing "")
foreach(phrase "./scripts/run" "./scripts/test" "build/bin/mirubero" "ヨツバネ/MiruberoData/"
               "Total.ini" "Settei0.ini" "Settei4.ini" "SpeakMsg.txt" "Shift_JIS" "CR LF"
               "libAquesTalkDa.so" "声のデータが存在しません。 終了します。"
               "設定画面を起動" "終了" "40 秒" "${guide}")
  string(FIND "${text}" "${phrase}" at)
  if(at EQUAL -1)
    string(APPEND missing "\n  ${phrase}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${SOURCE} does not mention:${missing}")
endif()
