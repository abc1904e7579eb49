# System DLLs that are no KnownDLLs, linked so that the executable's import table does not name them.
#
# The loader resolves an import table before any code of the program runs, and for a DLL that is no
# KnownDLL it looks in the executable's folder first: a file planted there under that name would run inside
# the program, with administrator rights when the program runs elevated. Linked through a delay-import
# library instead, the DLL is loaded at its first use, after start-up has limited the search to the system
# folder (app/runtime/system_dlls.cpp).

# The names MinGW's import library for NAME.dll exports, as the linker sees them: "GdipAlloc" on x86_64,
# "GdipAlloc@4" on i686 (stdcall keeps its decoration until --kill-at takes it off the DLL's name).
function(zen_import_names name out)
  find_library(zen_import_${name} NAMES lib${name}.a REQUIRED)
  execute_process(COMMAND ${ZEN_TRIPLE}-nm -g --defined-only ${zen_import_${name}}
                  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "[^\n]* I __imp_[^\n]*" imports "${symbols}")
  set(names "")
  foreach(line IN LISTS imports)
    string(REGEX REPLACE ".* I __imp_" "" export "${line}")
    if(ZEN_TRIPLE MATCHES "^i686")
      # One underscore only ("__imp___TrackMouseEvent@4" is "_TrackMouseEvent"): a bare "^_" would take
      # every leading one, as CMake anchors each further match where the last replacement ended.
      string(REGEX REPLACE "^_(.*)" "\\1" export "${export}")
    endif()
    list(APPEND names "${export}")
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zen_import_${name}})
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# zen_delay_import(NAME) makes the target delay_NAME: a delay-import library for NAME.dll, made at configure
# time from those names.
function(zen_delay_import name)
  set(folder ${CMAKE_BINARY_DIR}/delay-import)
  set(def ${folder}/${name}.def)
  set(library ${folder}/lib${name}_delay.a)
  file(MAKE_DIRECTORY ${folder})
  zen_import_names(${name} names)
  list(JOIN names "\n  " exports)
  file(WRITE ${def} "LIBRARY ${name}.dll\nEXPORTS\n  ${exports}\n")
  # dlltool names the library's symbols after the path it is given: a bare name keeps the build folder
  # out of the executable, which must be the same bytes wherever it is built.
  execute_process(COMMAND ${ZEN_TRIPLE}-dlltool --kill-at --input-def ${name}.def --dllname ${name}.dll
                          --output-delaylib lib${name}_delay.a
                  WORKING_DIRECTORY ${folder} COMMAND_ERROR_IS_FATAL ANY)
  add_library(delay_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(delay_${name} PROPERTIES IMPORTED_LOCATION ${library})
endfunction()
