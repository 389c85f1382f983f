# The Windows build, cross-compiled with mingw-w64 against the static
# libraries that scripts/windows-deps.sh builds. Everything is linked into
# the programs, so they import only DLLs that every 64-bit Windows has.
set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED)
find_path(ZARVY_FREEGLUT_INCLUDE_DIR GL/freeglut.h REQUIRED)
find_library(ZARVY_FREEGLUT_LIBRARY NAMES glut freeglut_static REQUIRED)
find_library(ZARVY_GLEW_LIBRARY NAMES glew32 REQUIRED)
find_package(ZLIB REQUIRED)

# No link time in the programs: two builds of one commit give the same bytes.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)

# What the game's code links on this platform. The image library is the
# project's own, over libpng and libjpeg, with the calls the game makes.
add_library(zarvy_platform_libraries INTERFACE)
target_include_directories(zarvy_platform_libraries INTERFACE ${ZARVY_FREEGLUT_INCLUDE_DIR})
target_compile_definitions(zarvy_platform_libraries INTERFACE FREEGLUT_STATIC GLEW_STATIC)
target_link_libraries(zarvy_platform_libraries INTERFACE
    zarvyimage ${ZARVY_GLEW_LIBRARY} ${ZARVY_FREEGLUT_LIBRARY} ZLIB::ZLIB OpenGL::GLU OpenGL::GL comctl32 winmm gdi32)

# Test programs run under Wine, on the build machine's display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
