# velmor_add_subdirectories(): adds every subdirectory of the current source directory that has a
# CMakeLists.txt, in name order, so a new tool, test group or benchmark needs no edit here.
function(velmor_add_subdirectories)
  file(GLOB _dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _dirs)
  foreach(dir ${_dirs})
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${dir}" AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
