#include "info/drive/DriveInfo.h"

TDriveInfo::TDriveInfo()
{
    Title = "ドライブ情報を取得中...\n";
}

void TDriveInfo::Collect() {}
