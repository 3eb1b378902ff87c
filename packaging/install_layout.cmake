# Run by `cmake --install` (and so by CPack) once the files are in place: the links that let an
# installed copy keep the programs' own rules while the programs stay read-only.
#
#   <prefix>/<bin>/NAME                       -> the program in its folder (so it is on PATH)
#   <program folder>/<settings file>          -> <state>/<settings file>
#   <program folder>/../dat                   -> <state>/dat
#   <prefix>/<lib>/libX.so.N, libX.so         -> the library in the program folder
#
# The programs read and write their INI files in their own folder and log into "../dat" beside
# it. Both links point into the state folder, which the package makes writable for its group;
# the settings writer replaces the file a link points to, never the link.
#
# In: SUITE_PREFIX_BIN_DIR, SUITE_PREFIX_LIB_DIR, SUITE_PROGRAM_DIR (relative to the prefix),
#     SUITE_PROGRAMS, SUITE_LIBRARY_LINKS ("soname=file name" of each shared library),
#     SUITE_SETTINGS_FILES, SUITE_STATE_NAME. The prefix is the one of this install run.

set(_prefix "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/+$" "" _prefix "${_prefix}")
set(_root "$ENV{DESTDIR}")

# The state folder lies where GNUInstallDirs puts variable data: /var for the system prefix,
# <prefix>/var for any other (a trial install in a folder of one's own stays inside it).
if(_prefix STREQUAL "" OR _prefix STREQUAL "/usr")
    set(_state "/var/lib/${SUITE_STATE_NAME}")
else()
    set(_state "${_prefix}/var/lib/${SUITE_STATE_NAME}")
endif()
set(_programs "${_prefix}/${SUITE_PROGRAM_DIR}")

# link LINK -> TARGET, both as paths of the installed system: relative within one top-level
# folder and absolute across them (Debian's rule; a relative link out of /usr is an error).
function(_suite_link target link)
    get_filename_component(dir "${link}" DIRECTORY)
    string(REGEX MATCH "^/[^/]*" top_target "${target}")
    string(REGEX MATCH "^/[^/]*" top_link "${link}")
    if(top_target STREQUAL top_link)
        file(RELATIVE_PATH value "${dir}" "${target}")
    else()
        set(value "${target}")
    endif()
    set(path "${_root}${link}")
    if(EXISTS "${path}" AND NOT IS_SYMLINK "${path}")
        # A real file here holds someone's settings: never replace it by a link.
        message(WARNING "kept ${path}: it is a file, not the link to ${target}")
        return()
    endif()
    file(MAKE_DIRECTORY "${_root}${dir}")
    file(REMOVE "${path}")
    file(CREATE_LINK "${value}" "${path}" SYMBOLIC)
    message(STATUS "Installing: ${path} -> ${value}")
    set_property(GLOBAL APPEND PROPERTY _suite_links "${path}")
endfunction()

file(MAKE_DIRECTORY "${_root}${_state}/dat")
foreach(program IN LISTS SUITE_PROGRAMS)
    _suite_link("${_programs}/${program}" "${_prefix}/${SUITE_PREFIX_BIN_DIR}/${program}")
endforeach()
foreach(settings IN LISTS SUITE_SETTINGS_FILES)
    _suite_link("${_state}/${settings}" "${_programs}/${settings}")
endforeach()
foreach(library IN LISTS SUITE_LIBRARY_LINKS)
    string(REPLACE "=" ";" library "${library}")
    list(GET library 0 soname)
    list(GET library 1 file)
    string(REGEX REPLACE "\\.so\\..*$" ".so" linker_name "${soname}")
    set(lib_dir "${_prefix}/${SUITE_PREFIX_LIB_DIR}")
    _suite_link("${_programs}/${file}" "${lib_dir}/${soname}")
    _suite_link("${lib_dir}/${soname}" "${lib_dir}/${linker_name}")
endforeach()
get_filename_component(_program_parent "${_programs}" DIRECTORY)
_suite_link("${_state}/dat" "${_program_parent}/dat")

get_property(_links GLOBAL PROPERTY _suite_links)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${_links})
