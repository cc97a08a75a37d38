// The black-box window's line view: one repaint with 2000 coloured display lines (offscreen).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QLayout>
#include <QPainter>

#include "OffscreenBench.h"
#include "blackbox/BoxDriver.h"
#include "blackbox/ui/FormBox.h"
#include "link/Velmor_PC.h"

namespace {

void BM_LineViewRepaint2000(benchmark::State& state) {
  vlm::TControllerLink link;  // never opened: the window is not shown, so it does not scan
  vlm::TFormBox form(link);
  form.resize(1280, 720);
  form.layout()->activate();
  vlm::TBoxDriver& box = form.Boxes().ReplayBox();
  form.Context().view.currentBox = &box;
  for (int i = 0; i < 2000; ++i)
    box.AddLines("2026.12.09 12:00:00.000|t  1000|d  20|p002|e0|L  6|№4|<ПУ|05 90 03 81 20 4C  ТС КП5 Гр3=10000001",
                 uint8_t(i % 3 == 0 ? 0x1F : i % 3 == 1 ? 0xE0 : 0));
  form.TimerListTimer();
  QWidget* view = form.findChild<QWidget*>("PaintBoxList");
  QImage image(view->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    view->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["rows"] = form.Rows();
}
BENCHMARK(BM_LineViewRepaint2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return vlm::bench::RunOffscreen(argc, argv); }
