# The application's skin: resources/skin packed at build time into the password-protected archive that
# the programs embed as resource "IDR_ZIPRES" of type "ZIPRES".
#
#   VELMOR_SKIN_ARCHIVE   the packed archive (made by the target in VELMOR_SKIN_TARGET)
#   VELMOR_SKIN_PASSWORD  the archive's password; a program receives it as the wide-string macro
#                         VELMOR_SKIN_PASSWORD through velmor_embed_skin
#   VELMOR_SKIN_TARGET    the custom target that renders the images and packs the archive
#   VELMOR_SKIN_SCALES    the DPI percentages the images are rendered for besides 100 (the image loader
#                         asks for "name@<percent>.png" at any scale other than 100)
#
#   velmor_embed_skin(<target>)
#     Embeds the archive into <target>, makes <target> depend on it and defines VELMOR_SKIN_PASSWORD.
# The values are internal cache entries, so every directory sees them, also one that only calls the
# function after another directory included this file.
include(${CMAKE_CURRENT_LIST_DIR}/SkinArchive.cmake)

set(VELMOR_SKIN_PASSWORD "quiet-amber-needle" CACHE INTERNAL "Password of the skin archive")
set(VELMOR_SKIN_ARCHIVE "${CMAKE_BINARY_DIR}/resources/velmor_skin.zip" CACHE INTERNAL "The packed skin")
set(VELMOR_SKIN_TARGET velmor_skin CACHE INTERNAL "Target that packs the skin")
# The automatic DPI choice gives 77, 96, 120, 144, 192 or 288 DPI: 80, 100, 125, 150, 200 and 300 %.
set(VELMOR_SKIN_SCALES 80 125 150 200 300 CACHE INTERNAL "Image scales besides 100 %")

function(velmor_embed_skin target)
  velmor_embed_archive(${target} ARCHIVE "${VELMOR_SKIN_ARCHIVE}" DEPENDS ${VELMOR_SKIN_TARGET})
  target_compile_definitions(${target} PRIVATE VELMOR_SKIN_PASSWORD=L"${VELMOR_SKIN_PASSWORD}")
endfunction()
