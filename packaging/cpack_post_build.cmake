# Run by cpack once the package is built. CPack gives the package postinst and postrm
# scripts that only call ldconfig whenever a shared object lies under /usr/lib, even
# in a private folder like /usr/lib/rolvane that the dynamic linker never searches.
# Rolvane has nothing to do at install or removal time: those two scripts are taken
# out, and the package built again from the same tree.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  foreach(script postinst postrm)
    set(path "${tree}/DEBIAN/${script}")
    if(NOT EXISTS "${path}")
      continue()
    endif()
    file(READ "${path}" text)
    string(REGEX REPLACE "if \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n\tldconfig\nfi\n" "" rest "${text}")
    if(NOT rest STREQUAL "#!/bin/sh\n\nset -e\n\n")
      message(FATAL_ERROR "${script} of ${deb} does more than call ldconfig:\n${text}")
    endif()
    file(REMOVE "${path}")
  endforeach()
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
