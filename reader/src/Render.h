#ifndef ENVCHECK_READER_RENDER_H
#define ENVCHECK_READER_RENDER_H

#include <string>

#include "Report.h"

namespace reader {

std::string RenderCells(const std::vector<size_t>& widths, const std::vector<Cell>& cells);
std::string RenderBorder(const Table& table);
// The report's bytes as envcheck wrote them.
std::string Render(const Report& report);

}  // namespace reader

#endif
