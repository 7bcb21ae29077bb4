#ifndef ENVCHECK_TESTS_DIRECTX_DIRECTXTEXTS_H
#define ENVCHECK_TESTS_DIRECTX_DIRECTXTEXTS_H

#include <string>

// The DirectX section's headings and the files table's frame, as the report has them.
inline const std::string Display = "DxDialog Display Infomation:\n";
inline const std::string Files = "DxDialog DirectX File Infomation:\n";
inline const std::string Rule =
    "+---+------------------------------------------+------------------+------------+------------+"
    "---------------------+------------+\n";
inline const std::string Header =
    "|   | ファイル名                               | バージョン       | 属性       | 言語       "
    "|                日付 |     サイズ |\n";

#endif
