# Imported targets for the libraries scripts/deps.sh built into VELMOR_DEPS_PREFIX.
set(_p "${VELMOR_DEPS_PREFIX}")
if(NOT EXISTS "${_p}/lib/libhidapi.a")
  message(FATAL_ERROR "Dependencies missing in ${_p}: run scripts/setup.sh")
endif()

function(_velmor_import name lib)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${_p}/lib/${lib}"
                                           INTERFACE_INCLUDE_DIRECTORIES "${_p}/include")
endfunction()

_velmor_import(dep::hidapi libhidapi.a)
set_property(TARGET dep::hidapi PROPERTY INTERFACE_LINK_LIBRARIES setupapi)
set_property(TARGET dep::hidapi PROPERTY INTERFACE_COMPILE_DEFINITIONS HID_API_STATIC)
_velmor_import(dep::cjson libcjson.a)
set_property(TARGET dep::cjson PROPERTY INTERFACE_COMPILE_DEFINITIONS CJSON_HIDE_SYMBOLS)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
_velmor_import(dep::minizip libminizip.a)
set_property(TARGET dep::minizip PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

# Header-only: readerwriterqueue and stb_image, copied into the prefix so /usr/include stays off the path.
add_library(dep::headers INTERFACE IMPORTED GLOBAL)
set_target_properties(dep::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_p}/include")

_velmor_import(dep::gtest libgtest.a)
_velmor_import(dep::gtest_main libgtest_main.a)
_velmor_import(dep::gmock libgmock.a)
set_property(TARGET dep::gtest_main PROPERTY INTERFACE_LINK_LIBRARIES dep::gtest)
set_property(TARGET dep::gmock PROPERTY INTERFACE_LINK_LIBRARIES dep::gtest)
