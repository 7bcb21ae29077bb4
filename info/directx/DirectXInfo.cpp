#include "info/directx/DirectXInfo.h"

TDirectXInfo::TDirectXInfo() : Direct3D(nullptr), Provider(nullptr), Root(nullptr)
{
    Title = "DirectXの情報を取得中...\n";
}

void TDirectXInfo::Collect() {}
