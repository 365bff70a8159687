# String tables: one source of truth per program, in English (1033) and Russian (1049).
#
# A ".strings" file is UTF-8 text, one string per line:
#
#     <id> <lang> "<text>"
#
#   <id>    decimal string identifier, 0 to 65535
#   <lang>  decimal Windows language id: 1033 English (United States), 1049 Russian; any other id
#           is accepted as well
#   <text>  the text between double quotes. Inside it, \n is a line feed, \t a tab, \\ a
#           backslash and \" a double quote; no other backslash sequence and no bare double quote
#           is allowed. Every other byte stands for itself.
#
# Blank lines and lines whose first non-blank character is # are ignored. Anything else stops the
# build with the file name and line number. An id may appear once per language; an id without a
# text in some language gets its English text in that language's table. Example:
#
#     # Result lines of the console program.
#     1 1033 "The message was successfully sent to "
#     1 1049 "Сообщение отправлено "
#
# qz_add_strings(<target> <file> [INCLUDED])
#
#   Windows build: generates <build dir>/<name>.strings.rc, one STRINGTABLE per language under
#   LANGUAGE statements, with #pragma code_page(65001) so that the resource compiler reads UTF-8
#   and stores UTF-16 (LoadStringA converts to the ANSI code page at run time). The fragment is
#   compiled into <target>. With INCLUDED it is only generated: its folder is added to the
#   target's resource include path and the target's own .rc file includes it with
#   #include "<name>.strings.rc" (a dialog program's .rc does this).
#
#   POSIX build: generates <build dir>/<name>.strings.cpp, a table in UTF-8 that registers itself
#   with the platform layer before main runs, and compiles it into <target>; LoadStringA reads it
#   and chooses the language from LC_ALL, LC_MESSAGES or LANG (Russian when the first non-empty
#   one begins with "ru", else English). INCLUDED changes nothing there.
#
#   <name> is the file's name without its last extension. The generated file's path is left in
#   QZ_STRINGS_OUTPUT in the caller's scope.
#
# The generation runs at build time as "cmake -P" of this file (no other tool is needed).

if(CMAKE_SCRIPT_MODE_FILE AND QZ_STRINGS_IN)
  # ---- Generator (script mode) ----
  cmake_minimum_required(VERSION 3.25)
  file(READ "${QZ_STRINGS_IN}" content)
  file(READ "${QZ_STRINGS_IN}" bom LIMIT 3 HEX)
  if(bom STREQUAL "efbbbf")
    string(SUBSTRING "${content}" 3 -1 content)
  endif()
  string(ASCII 1 semi)
  string(ASCII 2 lbr)
  string(ASCII 3 rbr)
  string(ASCII 4 bsl)
  # List separators, brackets and backslashes would split or glue lines in CMake lists: park
  # them. (A line ending in a backslash, a comment for instance, would escape the separator
  # after it and swallow the next line.) Backslashes come back line by line.
  string(REPLACE "\\" "${bsl}" content "${content}")
  string(REPLACE ";" "${semi}" content "${content}")
  string(REPLACE "[" "${lbr}" content "${content}")
  string(REPLACE "]" "${rbr}" content "${content}")
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")

  set(langs "")
  set(lineno 0)
  foreach(line IN LISTS lines)
    math(EXPR lineno "${lineno} + 1")
    string(REPLACE "${bsl}" "\\" line "${line}")
    if(line MATCHES "^[ \t]*(#.*)?$")
      continue()
    endif()
    if(NOT line MATCHES "^[ \t]*([0-9]+)[ \t]+([0-9]+)[ \t]+\"(.*)\"[ \t]*$")
      message(FATAL_ERROR "${QZ_STRINGS_IN}:${lineno}: expected <id> <lang> \"<text>\"")
    endif()
    set(id "${CMAKE_MATCH_1}")
    set(lang "${CMAKE_MATCH_2}")
    set(text "${CMAKE_MATCH_3}")
    # Only the four escapes; no bare quote.
    string(REGEX REPLACE "\\\\[nt\\\\\"]" "" bare "${text}")
    if(bare MATCHES "[\\\\\"]")
      message(FATAL_ERROR "${QZ_STRINGS_IN}:${lineno}: a backslash may only start \\n, \\t, \\\\ or \\\" and a quote must be written \\\"")
    endif()
    if(id GREATER 65535 OR lang GREATER 65535 OR lang EQUAL 0)
      message(FATAL_ERROR "${QZ_STRINGS_IN}:${lineno}: identifier or language out of range")
    endif()
    math(EXPR id "${id}")
    math(EXPR lang "${lang}")
    if(DEFINED "str_${lang}_${id}")
      message(FATAL_ERROR "${QZ_STRINGS_IN}:${lineno}: string ${id} appears twice for language ${lang}")
    endif()
    set("str_${lang}_${id}" "${text}")
    list(APPEND "ids_${lang}" ${id})
    if(NOT lang IN_LIST langs)
      list(APPEND langs ${lang})
    endif()
  endforeach()
  list(SORT langs COMPARE NATURAL)
  # A string without a text in some language takes its English text there. The Windows resource
  # loader finds strings in blocks of 16 per language and does not fall back string by string,
  # so a gap would otherwise load as an empty text for that language's users.
  if(1033 IN_LIST langs)
    foreach(lang IN LISTS langs)
      if(NOT lang EQUAL 1033)
        foreach(id IN LISTS ids_1033)
          if(NOT DEFINED "str_${lang}_${id}")
            set("str_${lang}_${id}" "${str_1033_${id}}")
            list(APPEND "ids_${lang}" ${id})
          endif()
        endforeach()
      endif()
    endforeach()
  endif()

  get_filename_component(src "${QZ_STRINGS_IN}" NAME)
  if(QZ_STRINGS_MODE STREQUAL "rc")
    set(out "// Generated from ${src} by QzStrings.cmake; edit the .strings file instead.\n")
    string(APPEND out "#pragma code_page(65001)\n\n")
    string(APPEND out "#ifndef LANG_ENGLISH\n#define LANG_ENGLISH 0x09\n#endif\n")
    string(APPEND out "#ifndef LANG_RUSSIAN\n#define LANG_RUSSIAN 0x19\n#endif\n")
    string(APPEND out "#ifndef SUBLANG_DEFAULT\n#define SUBLANG_DEFAULT 0x01\n#endif\n")
    string(APPEND out "#ifndef SUBLANG_ENGLISH_US\n#define SUBLANG_ENGLISH_US 0x01\n#endif\n")
    foreach(lang IN LISTS langs)
      if(lang EQUAL 1033)
        set(langdef "LANG_ENGLISH, SUBLANG_ENGLISH_US")
      elseif(lang EQUAL 1049)
        set(langdef "LANG_RUSSIAN, SUBLANG_DEFAULT")
      else()
        math(EXPR prim "${lang} % 1024" OUTPUT_FORMAT HEXADECIMAL)
        math(EXPR sub "${lang} / 1024" OUTPUT_FORMAT HEXADECIMAL)
        set(langdef "${prim}, ${sub}")
      endif()
      string(APPEND out "\nLANGUAGE ${langdef}\nSTRINGTABLE\nBEGIN\n")
      list(SORT "ids_${lang}" COMPARE NATURAL)
      foreach(id IN LISTS "ids_${lang}")
        # The resource compiler writes a double quote as two of them.
        string(REPLACE "\\\"" "\"\"" text "${str_${lang}_${id}}")
        string(APPEND out "    ${id}, \"${text}\"\n")
      endforeach()
      string(APPEND out "END\n")
    endforeach()
  else()
    set(out "// Generated from ${src} by QzStrings.cmake; edit the .strings file instead.\n")
    string(APPEND out "#include \"qzplat.h\"\n\nnamespace {\n\n")
    set(count 0)
    set(items "")
    foreach(lang IN LISTS langs)
      list(SORT "ids_${lang}" COMPARE NATURAL)
      foreach(id IN LISTS "ids_${lang}")
        # The text's escapes are those of C++ string literals already.
        string(APPEND items "    {${id}, ${lang}, \"${str_${lang}_${id}}\"},\n")
        math(EXPR count "${count} + 1")
      endforeach()
    endforeach()
    if(count GREATER 0)
      string(APPEND out "const PxStrRes qzStrings[] = {\n${items}};\n")
      string(APPEND out "PxStrTab qzStrTab = {qzStrings, ${count}, nullptr};\n")
    else()
      string(APPEND out "PxStrTab qzStrTab = {nullptr, 0, nullptr};\n")
    endif()
    string(APPEND out "[[maybe_unused]] const bool qzStrRegistered = PxAddStrTab(&qzStrTab);\n\n} // namespace\n")
  endif()
  string(REPLACE "${semi}" ";" out "${out}")
  string(REPLACE "${lbr}" "[" out "${out}")
  string(REPLACE "${rbr}" "]" out "${out}")
  # Rewrite only on change, so that an unchanged table does not rebuild its program.
  if(EXISTS "${QZ_STRINGS_OUT}")
    file(READ "${QZ_STRINGS_OUT}" old)
    if(old STREQUAL out)
      return()
    endif()
  endif()
  file(WRITE "${QZ_STRINGS_OUT}" "${out}")
  return()
endif()

# ---- Build function ----
include_guard(GLOBAL)

function(qz_add_strings target file)
  cmake_parse_arguments(ARG "INCLUDED" "" "" ${ARGN})
  # This file is also the generator script.
  set(script "${CMAKE_CURRENT_FUNCTION_LIST_FILE}")
  get_filename_component(in "${file}" ABSOLUTE)
  get_filename_component(name "${file}" NAME_WLE)
  if(WIN32)
    set(mode rc)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${name}.strings.rc")
  else()
    set(mode cpp)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${name}.strings.cpp")
  endif()
  add_custom_command(
    OUTPUT "${out}"
    COMMAND "${CMAKE_COMMAND}" "-DQZ_STRINGS_IN=${in}" "-DQZ_STRINGS_OUT=${out}" "-DQZ_STRINGS_MODE=${mode}"
            -P "${script}"
    DEPENDS "${in}" "${script}"
    COMMENT "String table ${name}.strings"
    VERBATIM)
  if(WIN32 AND ARG_INCLUDED)
    # Generated before the target's own .rc is compiled, which includes it.
    set_source_files_properties("${out}" PROPERTIES HEADER_FILE_ONLY ON)
    target_sources(${target} PRIVATE "${out}")
    target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    target_sources(${target} PRIVATE "${out}")
  endif()
  set(QZ_STRINGS_OUTPUT "${out}" PARENT_SCOPE)
endfunction()
