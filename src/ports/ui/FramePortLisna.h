#pragma once
// Frames of the Лисна ports and points. The port frames show the table of carrier channels,
// the Лисна-Ч and Лисна-В point frames the table of point addresses and their codes.
#include <QString>
#include <vector>

#include "ports/ui/FrameKind.h"

class QTableWidget;

namespace vlm {

// "Канал" / "Несущая, Гц": channels 0 to 18 at 450 + 180 × channel Hz.
inline constexpr int kLisnaChannels = 19;
int LisnaCarrier(int channel);
// The codes of the point addresses: every pair of two set positions out of `positions`, in
// lexicographic order, as "1= 110000 (1-2)".
std::vector<QString> LisnaCodes(int positions);

class TFramePortLisna : public TFramePortItems {
  Q_OBJECT
 public:
  TFramePortLisna(const TPortKind& kind, QWidget* parent);
};

class TFramePointLisna : public TFramePointItems {
  Q_OBJECT
 public:
  // positions: 6 (Лисна-Ч), 5 (Лисна-В) or 0 for no code table (Лисна-М).
  TFramePointLisna(const TPointKind& kind, int positions, QWidget* parent);
};

// A disabled two-column reference table.
QTableWidget* ReferenceTable(const char* name, const QString& h0, const QString& h1,
                             const std::vector<std::pair<QString, QString>>& rows, QWidget* parent);

}  // namespace vlm
