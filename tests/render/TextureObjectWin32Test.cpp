// Texture loads of what Windows has besides regular files: pipes, devices
// and folders, which must neither stall the game nor feed it.

#include "TextureTestSupport.h"

#include "render/TextureObject.h"

#include <windows.h>

#include <string>

using namespace texturetest;

TEST_F(TextureObjectTest, OnlyRegularFilesAreRead)
{
    // A named pipe with nobody writing: reading it would wait for good.
    const std::string pipe = "\\\\.\\pipe\\zarvy-texture-" + std::to_string(GetCurrentProcessId()) + ".png";
    const HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                           4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(failsToLoad(pipe));
    CloseHandle(server);

    // Devices: the null device reads as empty, the console waits for keys.
    for (const char* device : {"NUL", "CON", "\\\\.\\NUL"}) {
        EXPECT_TRUE(failsToLoad(device)) << device;
    }

    // A folder named like a picture.
    const std::string folder = scratch().path("folder.png");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_TRUE(failsToLoad(folder));
}
