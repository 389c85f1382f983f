# The browser build, with Debian's Emscripten (emcmake cmake): WebAssembly
# and a page's script, over the static zlib, libpng and libjpeg-turbo that
# scripts/web-deps.sh builds into ZARVY_WEB_DEPS. GLUT, GL and GLEW are
# Emscripten's own; its legacy GL emulation runs the fixed-function
# pipeline over WebGL, with render/GlCompatibilityWeb.cpp filling its gaps.
set(ZARVY_WEB_DEPS "" CACHE PATH "Prefix holding the libraries built with emcc (include/, lib/)")
if(NOT ZARVY_WEB_DEPS)
    message(FATAL_ERROR "ZARVY_WEB_DEPS names the prefix that scripts/web-deps.sh filled")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${ZARVY_WEB_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${ZARVY_WEB_DEPS})
find_package(ZLIB REQUIRED)

# The game checks that GLEW found the ARB buffer entry points, which on the
# desktop are pointers GLEW fills in; Emscripten's GLEW declares them as
# functions, whose address clang knows is never null.
add_compile_options(-Wno-tautological-pointer-compare)

# What the game's code links on this platform. The image library is the
# project's own, over libpng and libjpeg, as on Windows.
add_library(zarvy_platform_libraries INTERFACE)
target_include_directories(zarvy_platform_libraries INTERFACE ${CMAKE_SOURCE_DIR}/cmake/web-include)
target_link_libraries(zarvy_platform_libraries INTERFACE zarvyimage ZLIB::ZLIB)

# Every program: the emulated fixed-function GL, a runtime that ends when
# the program calls exit(), memory that grows as needed, and GLUT's key
# callbacks made safe for exit(); a page may start main itself (callMain)
# when the player asks for the flight. The images are packed into PROGRAM.data,
# file by file in a fixed order, so the pack is the same in every build.
file(GLOB ZARVY_WEB_TEXTURES RELATIVE ${CMAKE_SOURCE_DIR}/Textures
    ${CMAKE_SOURCE_DIR}/Textures/*.png ${CMAKE_SOURCE_DIR}/Textures/*.jpg)
list(SORT ZARVY_WEB_TEXTURES)
set(ZARVY_WEB_LINK_OPTIONS
    "SHELL:-s LEGACY_GL_EMULATION=1"
    "SHELL:-s EXIT_RUNTIME=1"
    "SHELL:-s ALLOW_MEMORY_GROWTH=1"
    "SHELL:-s EXPORTED_RUNTIME_METHODS=['FS','callMain']"
    "SHELL:--js-library ${CMAKE_SOURCE_DIR}/app/ToolkitWeb.js")
foreach(texture ${ZARVY_WEB_TEXTURES})
    list(APPEND ZARVY_WEB_LINK_OPTIONS "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/Textures/${texture}@/Textures/${texture}")
endforeach()
add_link_options(${ZARVY_WEB_LINK_OPTIONS})
set(ZARVY_WEB_LINK_DEPENDS ${CMAKE_SOURCE_DIR}/app/ToolkitWeb.js)
