# Installs the build into PREFIX and checks each file the installed program or the desktop needs.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

# The program looks for its private folder relative to its own folder.
set(private ${PREFIX}/${BINDIR}/${PRIVATE_FROM_BIN})
set(expected
  ${PREFIX}/${BINDIR}/mirubero
  ${private}/libAquesTalkDa.so
  ${private}/ReadMe.txt
  ${private}/音声記号列仕様.pdf
  ${private}/PageMarkers.txt
  ${PREFIX}/${DATADIR}/applications/mirubero.desktop
  ${PREFIX}/${DATADIR}/metainfo/${APP_ID}.metainfo.xml
  ${PREFIX}/${DATADIR}/icons/hicolor/scalable/apps/mirubero.svg
  ${PREFIX}/${DATADIR}/icons/hicolor/32x32/apps/mirubero.png
  ${PREFIX}/${DATADIR}/icons/hicolor/256x256/apps/mirubero.png)
set(missing)
foreach(path IN LISTS expected)
  if(NOT EXISTS ${path})
    list(APPEND missing ${path})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed: ${missing}")
endif()

file(STRINGS ${PREFIX}/${DATADIR}/applications/mirubero.desktop exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=mirubero %u")
  message(FATAL_ERROR "desktop entry runs '${exec}', not the program on the PATH")
endif()
file(REMOVE_RECURSE ${PREFIX})
