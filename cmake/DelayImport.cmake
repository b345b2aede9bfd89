# Delay-loaded system libraries: the library is loaded at the first call into
# it, not when the program starts (see src/win/util/SystemLibrary.h for where it
# is loaded from and how a missing one is reported).
#
#   kolibrix_delay_import(<target> <library> <function>...)
#
# builds an import library for just the named functions of lib<library>.a with
# dlltool --output-delaylib and links <target> (INTERFACE) to it. A function of
# that library not listed here does not link, unless something also links the
# ordinary import library, in which case it is an ordinary import.
#
# The GNU linker drops the call stub of an import-library member that is reached
# only through its __imp_ pointer (binutils bug 14339), which is how the system
# headers call: the delay-load pointer would then point nowhere. Naming every
# stub as undefined (-u) keeps them.
function(kolibrix_delay_import target library)
  set(functions ${ARGN})
  set(implib "")
  foreach(root IN LISTS CMAKE_FIND_ROOT_PATH)
    if(NOT implib AND EXISTS "${root}/lib/lib${library}.a")
      set(implib "${root}/lib/lib${library}.a")
    endif()
  endforeach()
  if(NOT implib)
    message(FATAL_ERROR "kolibrix_delay_import: no import library lib${library}.a")
  endif()
  execute_process(COMMAND "${CMAKE_DLLTOOL}" --identify "${implib}" OUTPUT_VARIABLE dll
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${CMAKE_NM}" "${implib}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)

  set(dir "${CMAKE_BINARY_DIR}/delayimp")
  file(MAKE_DIRECTORY "${dir}")
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  set(undefined "")
  foreach(f IN LISTS functions)
    # The stdcall decoration (@bytes) comes from the system import library.
    if(NOT symbols MATCHES " I __imp__(${f}(@[0-9]+)?)\n")
      message(FATAL_ERROR "kolibrix_delay_import: ${library} has no function ${f}")
    endif()
    string(APPEND def "${CMAKE_MATCH_1}\n")
    list(APPEND undefined "-Wl,-u,_${CMAKE_MATCH_1}")
  endforeach()
  # Rewritten only when the list changed, so that the library is rebuilt only then.
  set(old "")
  if(EXISTS "${dir}/${library}.def")
    file(READ "${dir}/${library}.def" old)
  endif()
  if(NOT old STREQUAL def)
    file(WRITE "${dir}/${library}.def" "${def}")
  endif()
  set(out "${dir}/lib${library}_delay.a")
  if(NOT EXISTS "${out}" OR "${dir}/${library}.def" IS_NEWER_THAN "${out}")
    # From its own folder: the archive's name goes into the names of its symbols.
    execute_process(COMMAND "${CMAKE_DLLTOOL}" --kill-at --input-def "${library}.def" --dllname "${dll}"
                            --output-delaylib "lib${library}_delay.a" WORKING_DIRECTORY "${dir}"
                            COMMAND_ERROR_IS_FATAL ANY)
  endif()
  target_link_libraries(${target} INTERFACE "${out}")
  target_link_options(${target} INTERFACE ${undefined})
endfunction()
