# Fails when two of corvath.dll's resource fragments (or one fragment twice) define the
# same id for the same resource type. The resource compiler takes such a duplicate
# without a word for strings and with a mere warning for the rest, and one of the two
# texts or templates silently goes missing.
#
#   cmake -DCC=<C compiler> -DROOT=<source root> -DFRAGMENTS=<a.rc;b.rc> -DOUT=<folder>
#         -DSTAMP=<file> -P check_resource_ids.cmake
foreach(var CC ROOT FRAGMENTS OUT STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_resource_ids: ${var} not given")
  endif()
endforeach()

# Types that share one id space are counted as one: DIALOG and DIALOGEX, MENU and MENUEX.
set(_types DIALOGEX DIALOG MENUEX MENU ICON BITMAP CURSOR ACCELERATORS RCDATA TYPELIB
           VERSIONINFO)
string(JOIN "|" _type_pattern ${_types})
set(_seen)
set(_errors)
foreach(fragment ${FRAGMENTS})
  string(MAKE_C_IDENTIFIER "${fragment}" _name)
  set(_pre ${OUT}/${_name}.i)
  # What the resource compiler sees: the fragment through the C preprocessor.
  execute_process(
    COMMAND ${CC} -E -P -xc -DRC_INVOKED -I ${ROOT} ${ROOT}/${fragment}
    OUTPUT_FILE ${_pre} RESULT_VARIABLE _rc ERROR_VARIABLE _err)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "check_resource_ids: cannot preprocess ${fragment}: ${_err}")
  endif()
  file(STRINGS ${_pre} _lines REGEX "^[ \t]*(STRINGTABLE|BEGIN|END|[{}]|\\(?[0-9]+)")
  set(_in_strings FALSE)
  set(_depth 0)
  foreach(line IN LISTS _lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^STRINGTABLE")
      set(_in_strings TRUE)
      set(_depth 0)
      continue()
    endif()
    if(_in_strings)
      if(line STREQUAL "BEGIN" OR line STREQUAL "{")
        math(EXPR _depth "${_depth} + 1")
      elseif(line STREQUAL "END" OR line STREQUAL "}")
        math(EXPR _depth "${_depth} - 1")
        if(_depth EQUAL 0)
          set(_in_strings FALSE)
        endif()
      elseif(line MATCHES "^\\(?([0-9]+)\\)?[ \t]*,?[ \t]*\"")
        set(_key "STRING:${CMAKE_MATCH_1}")
      endif()
    elseif(line MATCHES "^\\(?([0-9]+)\\)?[ \t]+(${_type_pattern})([ \t]|$)")
      set(_id ${CMAKE_MATCH_1})
      string(REGEX REPLACE "EX$" "" _type "${CMAKE_MATCH_2}")
      set(_key "${_type}:${_id}")
    endif()
    if(DEFINED _key)
      list(FIND _seen "${_key}" _at)
      if(_at GREATER -1)
        list(GET _where ${_at} _first)
        list(APPEND _errors "${_key} in ${fragment}, already in ${_first}")
      else()
        list(APPEND _seen "${_key}")
        list(APPEND _where "${fragment}")
      endif()
      unset(_key)
    endif()
  endforeach()
endforeach()

if(_errors)
  string(JOIN "\n  " _text ${_errors})
  message(FATAL_ERROR "Resource ids defined twice in Corvath's fragments:\n  ${_text}")
endif()
file(TOUCH ${STAMP})
