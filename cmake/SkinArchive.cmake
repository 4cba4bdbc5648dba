# Skin archives: a folder packed at build time into a zip whose entries are protected by the traditional
# zip password (Info-ZIP's zip -P), and the embedding of such an archive as a Win32 resource (windres).
#
#   velmor_skin_archive(<target> DIRECTORY <dir> OUTPUT <zip> PASSWORD <text> [STORE <suffix>...]
#                       [FILES <relative path>...])
#     Adds the custom target <target> that packs every file below <dir> (names relative to it, forward
#     slashes) into <zip>. Files ending in a suffix listed in STORE (for example .png) are stored, not
#     deflated. Rebuilt when a file of the folder changes. The password is given to zip on its command
#     line at build time. FILES names the files to pack instead, for a folder that other build rules
#     fill (each file is then a dependency, so the rule that makes it runs first).
#
#   velmor_embed_archive(<target> ARCHIVE <file> [NAME <resource name>] [TYPE <resource type>]
#                        [DEPENDS <target that makes the file>])
#     Compiles a resource script that holds <file> as resource <NAME> of type <TYPE> (default IDR_ZIPRES
#     of type ZIPRES, where the application looks for its skin) into <target>. Any file can be embedded
#     this way; NAME may be a number.
include_guard(GLOBAL)

find_program(VELMOR_ZIP_EXECUTABLE zip)

function(velmor_skin_archive target)
  cmake_parse_arguments(A "" "DIRECTORY;OUTPUT;PASSWORD" "STORE;FILES" ${ARGN})
  if(NOT VELMOR_ZIP_EXECUTABLE)
    message(FATAL_ERROR "velmor_skin_archive: Info-ZIP 'zip' is needed to pack ${A_DIRECTORY}")
  endif()
  if(NOT A_DIRECTORY OR NOT A_OUTPUT OR NOT DEFINED A_PASSWORD)
    message(FATAL_ERROR "velmor_skin_archive(${target}): DIRECTORY, OUTPUT and PASSWORD are required")
  endif()
  if(A_FILES)
    set(_files ${A_FILES})
  else()
    file(GLOB_RECURSE _files CONFIGURE_DEPENDS LIST_DIRECTORIES false RELATIVE "${A_DIRECTORY}" "${A_DIRECTORY}/*")
  endif()
  list(SORT _files)
  set(_deps)
  foreach(f ${_files})
    list(APPEND _deps "${A_DIRECTORY}/${f}")
  endforeach()
  set(_store)
  if(A_STORE)
    string(REPLACE ";" ":" _suffixes "${A_STORE}")
    set(_store -n ${_suffixes})
  endif()
  # -X: no platform extras beyond the time stamp; -D: no directory entries; -P: traditional encryption.
  add_custom_command(
    OUTPUT "${A_OUTPUT}"
    COMMAND ${CMAKE_COMMAND} -E remove -f "${A_OUTPUT}"
    COMMAND ${VELMOR_ZIP_EXECUTABLE} -q -X -D ${_store} -P "${A_PASSWORD}" "${A_OUTPUT}" ${_files}
    WORKING_DIRECTORY "${A_DIRECTORY}"
    DEPENDS ${_deps}
    COMMENT "Packing skin archive ${A_OUTPUT}"
    VERBATIM)
  add_custom_target(${target} DEPENDS "${A_OUTPUT}")
endfunction()

function(velmor_embed_archive target)
  cmake_parse_arguments(E "" "ARCHIVE;NAME;TYPE;DEPENDS" "" ${ARGN})
  if(NOT E_NAME)
    set(E_NAME IDR_ZIPRES)
  endif()
  if(NOT E_TYPE)
    set(E_TYPE ZIPRES)
  endif()
  set(_rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_${E_NAME}.rc")
  file(WRITE "${_rc}.in" "${E_NAME} ${E_TYPE} \"${E_ARCHIVE}\"\n")
  configure_file("${_rc}.in" "${_rc}" COPYONLY)
  set_source_files_properties("${_rc}" PROPERTIES OBJECT_DEPENDS "${E_ARCHIVE}")
  target_sources(${target} PRIVATE "${_rc}")
  if(E_DEPENDS)
    add_dependencies(${target} ${E_DEPENDS})
  endif()
endfunction()
