# velmor_ship_without_debug_info(<target>): the program is linked with debug information, which then
# moves to <program>.debug beside it; the program keeps only a link to that file (its name and checksum),
# so it loads without mapping megabytes it never reads, while a debugger still finds the symbols for
# crash analysis.
function(velmor_ship_without_debug_info target)
  if(NOT CMAKE_OBJCOPY)
    message(WARNING "objcopy not found: ${target} keeps its debug information")
    return()
  endif()
  # Sections laid out in the file as in memory: a loader can then map the program's pages from the file
  # as they are used instead of copying every section into private memory (Wine copies otherwise).
  target_link_options(${target} PRIVATE -Wl,--file-alignment,4096)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    COMMENT "Moving the debug information of ${target} to its .debug file"
    VERBATIM)
endfunction()
