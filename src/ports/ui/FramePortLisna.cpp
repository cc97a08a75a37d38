#include "ports/ui/FramePortLisna.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ports/PointKind.h"
#include "ports/PortKind.h"

namespace vlm {

int LisnaCarrier(int channel) { return 450 + 180 * channel; }

std::vector<QString> LisnaCodes(int positions) {
  std::vector<QString> codes;
  for (int a = 1; a <= positions; ++a)
    for (int b = a + 1; b <= positions; ++b) {
      QString bits(positions, QLatin1Char('0'));
      bits[a - 1] = QLatin1Char('1');
      bits[b - 1] = QLatin1Char('1');
      codes.push_back(QStringLiteral("%1= %2 (%3-%4)").arg(codes.size() + 1).arg(bits).arg(a).arg(b));
    }
  return codes;
}

QTableWidget* ReferenceTable(const char* name, const QString& h0, const QString& h1,
                             const std::vector<std::pair<QString, QString>>& rows, QWidget* parent) {
  auto* table = new QTableWidget(static_cast<int>(rows.size()), 2, parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels({h0, h1});
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(18);
  table->horizontalHeader()->setStretchLastSection(true);
  for (size_t r = 0; r < rows.size(); ++r) {
    table->setItem(static_cast<int>(r), 0, new QTableWidgetItem(rows[r].first));
    table->setItem(static_cast<int>(r), 1, new QTableWidgetItem(rows[r].second));
  }
  table->setEnabled(false);
  table->setFixedSize(220, table->horizontalHeader()->sizeHint().height() + static_cast<int>(rows.size()) * 18 +
                              2 * table->frameWidth());
  table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return table;
}

TFramePortLisna::TFramePortLisna(const TPortKind& kind, QWidget* parent) : TFramePortItems(kind, parent) {
  std::vector<std::pair<QString, QString>> rows;
  for (int channel = 0; channel < kLisnaChannels; ++channel)
    rows.emplace_back(QString::number(channel), QString::number(LisnaCarrier(channel)));
  Body()->addWidget(ReferenceTable("StringGridChannels", QStringLiteral("Канал"), QStringLiteral("Несущая, Гц"), rows, this));
  Body()->addStretch(1);
}

TFramePointLisna::TFramePointLisna(const TPointKind& kind, int positions, QWidget* parent)
    : TFramePointItems(kind, parent) {
  if (positions == 0) {
    Body()->addStretch(1);
    return;
  }
  // The address stands in the first column, its code with the set positions in the second.
  std::vector<std::pair<QString, QString>> rows;
  int address = 1;
  for (const QString& code : LisnaCodes(positions)) {
    rows.emplace_back(QString::number(address), code.section(QLatin1Char(' '), 1));
    ++address;
  }
  Body()->addWidget(ReferenceTable("StringGridCodes", QStringLiteral("Адрес КП"), QStringLiteral("Код"), rows, this));
  Body()->addStretch(1);
}

}  // namespace vlm
