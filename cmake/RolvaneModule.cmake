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

# The C++ runtime (libstdc++, libgcc) linked into the target rather than loaded
# with it. rolvane-batch runs one job and ends, and a school's update takes a
# few tens of milliseconds: loading and relocating the shared C++ runtime cost
# about 1.5 ms of every run, in the program and again in the library it loads.
# Only the library's operations cross between them, as plain C, and the
# library's copy of the runtime is hidden by its version script. Not under the
# sanitizers, whose runtime replaces parts of the C++ one.
function(rolvane_static_cxx_runtime target)
  if(NOT ROLVANE_SANITIZE AND CMAKE_SYSTEM_NAME STREQUAL "Linux"
     AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
