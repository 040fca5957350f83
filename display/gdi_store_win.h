#pragma once
// The numbered images and fonts of the process. Re-creating under a number releases the old object.

#include <windows.h>

#include "app/win_handles.h"

// The bitmap of an image number, or null.
HBITMAP ImageBitmap(int number);
// Replaces the image under `number` (null allowed: the number is then empty).
void SetImageBitmap(int number, HBITMAP bitmap);
// The font of a font number, or null.
HFONT NumberedFont(int number);
void SetNumberedFont(int number, HFONT font);
// Hands the font of a number over to the caller; the number is then empty.
UniqueFont TakeNumberedFont(int number);
// Image 200, the program's icon (the notification icon shows it).
HICON ProgramIconImage();
void SetProgramIconImage(HICON icon);
// Releases every image and font (the end of the program).
void ReleaseImagesAndFonts();

// Creates a font as every font of the program is made: `points` at the display's pixels per inch.
HFONT CreatePointFont(const char* face, int points, int weight);
