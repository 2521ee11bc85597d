# CPack post-build script for the Debian packages: CPack gives a package
# holding a shared library maintainer scripts that run ldconfig; Debian
# brings the linker's cache up to date with the ldconfig trigger instead,
# which the package declares. The scripts are taken out again here.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/ldconfig-trigger)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  if(EXISTS ${tree}/DEBIAN/triggers)
    file(STRINGS ${tree}/DEBIAN/triggers triggers)
    if("activate-noawait ldconfig" IN_LIST triggers)
      foreach(script postinst postrm)
        if(EXISTS ${tree}/DEBIAN/${script})
          file(STRINGS ${tree}/DEBIAN/${script} lines)
          # Only a script CPack wrote for ldconfig alone.
          list(FILTER lines EXCLUDE REGEX "^(#!/bin/sh|set -e|if \\[.*|[ \t]*ldconfig|fi|)$")
          if(NOT lines)
            file(REMOVE ${tree}/DEBIAN/${script})
          endif()
        endif()
      endforeach()
      execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${package}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
