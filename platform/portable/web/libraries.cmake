# The web build's libraries, built for WebAssembly by scripts/build-web into CRS_WEB_PREFIX, and
# how the viewer becomes a page: WebGL 2, Asyncify for WinMain's loop and the parsers' waits, a
# module that also runs in a Web Worker, and the course, the car, their textures (CRS_WEB_DATA) and
# the overlay's font preloaded into the page's file system.
set(CRS_WEB_PREFIX "" CACHE PATH
  "where scripts/build-web installed SDL2, zlib, libsquish and Assimp")
set(CRS_WEB_DATA "" CACHE PATH "the directory of crs.x, F1.x and their textures")
set(CRS_WEB_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf CACHE FILEPATH
  "the overlay's font")

add_library(web_libraries INTERFACE)
target_include_directories(web_libraries INTERFACE
  ${CRS_WEB_PREFIX}/include ${CRS_WEB_PREFIX}/include/SDL2 /usr/include/stb)
target_link_libraries(web_libraries INTERFACE ${CRS_WEB_PREFIX}/lib/libSDL2.a
  ${CRS_WEB_PREFIX}/lib/libassimp.a ${CRS_WEB_PREFIX}/lib/libminizip.a
  ${CRS_WEB_PREFIX}/lib/libz.a ${CRS_WEB_PREFIX}/lib/libsquish.a)

# What makes a program a page, the viewer (through its start-up) and crs-limit alike. Memory may
# grow to 2 GiB, in the page and in the parsers' Worker each: an allocation beyond fails the load
# that asked for it, as the loader process's limit does. Win32 reads a name below 0x10000 as an
# atom (MAKEINTATOM), and Windows maps nothing there: the program's data starts above it, not at
# WebAssembly's usual 1 KiB. The file system is built in although no file is linked in: the data
# comes with a loader of its own (below).
add_library(web_page INTERFACE)
target_link_libraries(platform_entry INTERFACE web_page)
target_link_options(web_page INTERFACE
  -fexceptions -sUSE_SDL=0 -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sGLOBAL_BASE=65536
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB
  -sENVIRONMENT=web,worker -sFORCE_FILESYSTEM=1 -sEXPORTED_RUNTIME_METHODS=FS)

# The data, packed beside the program with a loader that the page alone runs
# (crs-move-pos-data.js), so that the Worker, which runs the same crs-move-pos.js, fetches none of
# it; crs-limit's page loads the same. Packed at every build: nothing else would notice that only
# the data changed.
add_custom_target(crs-move-pos-data
  COMMAND ${EMSCRIPTEN_ROOT_PATH}/tools/file_packager ${CMAKE_BINARY_DIR}/bin/crs-move-pos.data
    --preload ${CRS_WEB_DATA}@/ ${CRS_WEB_FONT}@/fonts/DejaVuSans-Bold.ttf --no-node
    --js-output=${CMAKE_BINARY_DIR}/bin/crs-move-pos-data.js
  BYPRODUCTS ${CMAKE_BINARY_DIR}/bin/crs-move-pos.data ${CMAKE_BINARY_DIR}/bin/crs-move-pos-data.js
  VERBATIM)
