#ifndef ZARVY_IMAGE_IMAGELIB_IL_IL_H
#define ZARVY_IMAGE_IMAGELIB_IL_IL_H

#include <cstddef>

// The part of DevIL's interface the game, its tests and its tools use,
// served by the game's own image library (PNG and JPEG only) where DevIL
// is not to be had. Types, constants and behaviour are DevIL 1.7.8's; where
// this library differs, the function's comment says so.
extern "C" {

typedef unsigned int ILenum;
typedef unsigned char ILboolean;
typedef int ILint;
typedef size_t ILsizei;
typedef unsigned char ILubyte;
typedef unsigned int ILuint;
typedef const char* ILconst_string;

#define IL_FALSE 0
#define IL_TRUE 1

#define IL_COLOUR_INDEX 0x1900
#define IL_COLOR_INDEX 0x1900
#define IL_RGB 0x1907
#define IL_RGBA 0x1908
#define IL_LUMINANCE 0x1909
#define IL_LUMINANCE_ALPHA 0x190A

#define IL_UNSIGNED_BYTE 0x1401
#define IL_UNSIGNED_SHORT 0x1403

#define IL_PAL_NONE 0x0400
#define IL_PAL_RGB24 0x0401
#define IL_PAL_RGBA32 0x0403

#define IL_TYPE_UNKNOWN 0x0000
#define IL_JPG 0x0425
#define IL_PNG 0x042A

#define IL_NO_ERROR 0x0000
#define IL_INVALID_ENUM 0x0501
#define IL_OUT_OF_MEMORY 0x0502
#define IL_INVALID_VALUE 0x0505
#define IL_ILLEGAL_OPERATION 0x0506
#define IL_INVALID_FILE_HEADER 0x0508
#define IL_INVALID_PARAM 0x0509
#define IL_COULD_NOT_OPEN_FILE 0x050A
#define IL_INVALID_EXTENSION 0x050B
#define IL_FILE_ALREADY_EXISTS 0x050C
#define IL_INVALID_CONVERSION 0x0510
#define IL_LIB_JPEG_ERROR 0x05E2
#define IL_LIB_PNG_ERROR 0x05E3

#define IL_ORIGIN_LOWER_LEFT 0x0601
#define IL_ORIGIN_UPPER_LEFT 0x0602
#define IL_FILE_OVERWRITE 0x0620

#define IL_IMAGE_WIDTH 0x0DE4
#define IL_IMAGE_HEIGHT 0x0DE5
#define IL_IMAGE_DEPTH 0x0DE6
#define IL_IMAGE_SIZE_OF_DATA 0x0DE7
#define IL_IMAGE_BPP 0x0DE8
#define IL_IMAGE_BYTES_PER_PIXEL 0x0DE8
#define IL_IMAGE_BITS_PER_PIXEL 0x0DE9
#define IL_IMAGE_FORMAT 0x0DEA
#define IL_IMAGE_TYPE 0x0DEB
#define IL_PALETTE_TYPE 0x0DEC
#define IL_PALETTE_NUM_COLS 0x0DEF
#define IL_IMAGE_BPC 0x0DFA
#define IL_IMAGE_ORIGIN 0x0DFE
#define IL_IMAGE_CHANNELS 0x0DFF

// Starts the library; calling it again changes nothing.
void ilInit(void);
// Forgets every image; image 0 is bound afterwards.
void ilShutDown(void);

// Hands out `count` new image names, each a 1 by 1 grey picture. A deleted
// name is handed out again, the last deleted first.
void ilGenImages(ILsizei count, ILuint* images);
// Makes `image` the current image, creating it if it does not exist yet.
// Image 0 always exists and is never an image to ilIsImage.
void ilBindImage(ILuint image);
// Deletes the images; deleting the current image binds image 0.
void ilDeleteImages(ILsizei count, const ILuint* images);
ILboolean ilIsImage(ILuint image);

// Replaces the current image with the decoded PNG (IL_PNG), JPEG (IL_JPG)
// or either by content (IL_TYPE_UNKNOWN); on failure it stays as it was.
ILboolean ilLoadL(ILenum type, const void* lump, ILuint size);
// Likewise from a file, PNG or JPEG by content whatever the file's name
// (DevIL goes by the name's extension).
ILboolean ilLoadImage(ILconst_string fileName);
// Writes the current image as a PNG; the name must end in .png. An
// existing file is replaced only after ilEnable(IL_FILE_OVERWRITE).
ILboolean ilSaveImage(ILconst_string fileName);

// Converts the current image to IL_RGB or IL_RGBA with IL_UNSIGNED_BYTE
// samples; other targets are refused.
ILboolean ilConvertImage(ILenum destFormat, ILenum destType);
// Replaces the current image with `width` x `height` pixels of `channels`
// unsigned bytes in `format` (whose channel count must be `channels`),
// copied from `data`, or zero if `data` is null; origin lower left. Depth
// must be 1 and no side 0 (DevIL accepts both and makes broken images).
ILboolean ilTexImage(ILuint width, ILuint height, ILuint depth, ILubyte channels, ILenum format,
                     ILenum type, void* data);
ILubyte* ilGetData(void);
ILint ilGetInteger(ILenum mode);
// Declares which row of the current image's data comes first.
void ilRegisterOrigin(ILenum origin);
// Only IL_FILE_OVERWRITE can be enabled.
ILboolean ilEnable(ILenum mode);
// The most recent error not yet fetched, IL_NO_ERROR if none.
ILenum ilGetError(void);
}

#endif
