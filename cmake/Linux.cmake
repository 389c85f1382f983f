# The Linux build: Debian's shared libraries, with Debian's hardening.
option(ZARVY_SANITIZE "Build everything with AddressSanitizer and UBSan" OFF)
if(ZARVY_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
else()
    # Debian's hardening: stack protector, checked string and memory calls
    # (they need the optimiser), and a read-only relocation table bound at start.
    add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()

set(OpenGL_GL_PREFERENCE LEGACY)
find_package(OpenGL REQUIRED)
find_package(GLUT REQUIRED)
find_package(GLEW REQUIRED)
find_package(DevIL REQUIRED)
find_package(X11 REQUIRED)
find_package(ZLIB REQUIRED)

# What the game's code links on this platform.
add_library(zarvy_platform_libraries INTERFACE)
target_include_directories(zarvy_platform_libraries INTERFACE ${IL_INCLUDE_DIR})
target_link_libraries(zarvy_platform_libraries INTERFACE
    GLEW::GLEW GLUT::GLUT OpenGL::GL OpenGL::GLU X11::X11 ZLIB::ZLIB ${IL_LIBRARIES})
