# Installs the build into a fresh prefix and checks that the desktop finds
# the program there: both programs, the launcher, every icon size and the
# catalogues.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P InstallCheck.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(expected bin/kadrimarkexif bin/kadrimarkexif-stamp share/applications/kadrimarkexif.desktop
    share/kadrimarkexif/translations/kadrimarkexif_ru.qm
    share/kadrimarkexif/translations/kadrimarkexif_en.qm)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/kadrimarkexif.png)
endforeach()
foreach(file ${expected})
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/kadrimarkexif.desktop launcher)
foreach(line "Exec=kadrimarkexif" "Icon=kadrimarkexif" "Categories=Graphics;Photography;")
  string(FIND "${launcher}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "launcher lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
