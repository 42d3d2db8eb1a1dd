# A module the programs load by its file name (the library, the PDF module, the
# full-text module): no "lib" prefix, every symbol hidden but those its version
# script `exports` names, every name it uses resolved when it is linked (not
# under the sanitizers, whose runtime the program brings), installed in the
# programs' library folder.
function(rolvane_loaded_module target exports)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${exports})
  target_link_options(${target} PRIVATE -Wl,--version-script=${exports})
  if(NOT ROLVANE_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  install(TARGETS ${target} LIBRARY DESTINATION ${ROLVANE_INSTALL_LIBDIR})
endfunction()
