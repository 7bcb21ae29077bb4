#ifndef ENVCHECK_TESTS_VIEW_TEXTRECORDER_H
#define ENVCHECK_TESTS_VIEW_TEXTRECORDER_H

#include <windows.h>

#include <string>
#include <vector>

#include "view/CustomEdit.h"

// One piece of text a paint drew: where, and its cp932 bytes.
struct TDrawnText {
    int X;
    int Y;
    std::string Text;
};

// Paints the view into an enhanced metafile and reads back every text
// output it recorded, including those below the window's bottom edge, and
// the face of every font it created.
std::vector<TDrawnText> RecordPaint(TCustomEdit& view, std::vector<std::wstring>* faces = nullptr);

#endif
