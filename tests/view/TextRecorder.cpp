#include "view/TextRecorder.h"

namespace {

std::string ToCp932(const wchar_t* text, int length)
{
    if (length == 0) return std::string();
    const int size = WideCharToMultiByte(932, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(932, 0, text, length, &result[0], size, nullptr, nullptr);
    return result;
}

struct TRecording {
    std::vector<TDrawnText> Drawn;
    std::vector<std::wstring>* Faces;
};

int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM context)
{
    auto* recording = reinterpret_cast<TRecording*>(context);
    std::vector<TDrawnText>* drawn = &recording->Drawn;
    if (record->iType == EMR_EXTCREATEFONTINDIRECTW && recording->Faces != nullptr)
        recording->Faces->push_back(reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record)->elfw.elfLogFont.lfFaceName);
    if (record->iType == EMR_EXTTEXTOUTW || record->iType == EMR_EXTTEXTOUTA) {
        const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const char* base = reinterpret_cast<const char*>(record);
        const int count = static_cast<int>(text->emrtext.nChars);
        std::string bytes;
        if (record->iType == EMR_EXTTEXTOUTW)
            bytes = ToCp932(reinterpret_cast<const wchar_t*>(base + text->emrtext.offString), count);
        else
            bytes.assign(base + text->emrtext.offString, static_cast<size_t>(count));
        drawn->push_back({text->emrtext.ptlReference.x, text->emrtext.ptlReference.y, bytes});
    }
    return 1;
}

}  // namespace

std::vector<TDrawnText> RecordPaint(TCustomEdit& view, std::vector<std::wstring>* faces)
{
    HDC reference = GetDC(view.GetWindow());
    HDC dc = CreateEnhMetaFileA(reference, nullptr, nullptr, nullptr);
    view.Paint(dc);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    ReleaseDC(view.GetWindow(), reference);
    TRecording recording = {{}, faces};
    EnumEnhMetaFile(nullptr, metafile, Collect, &recording, nullptr);
    DeleteEnhMetaFile(metafile);
    return recording.Drawn;
}
