// The sheet of the training graphs as an SVG 1.1 picture, written without
// any toolkit: every primitive of the frames' plans at the pixel position
// its frame's mapping gives (Mapeo::PixelDe), in the plan's colours, pens
// and order, clipped to its frame, and the panel's titles and latest values
// in their places. Edges are crisp, not smoothed, as the view draws them.
// UTF-8, LF.
#pragma once

#include <string>

#include "plan/lamina.h"

std::string SvgLamina(const Lamina& lamina, const CString& strTitulo);
