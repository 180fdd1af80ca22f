#include "window/MainGraph.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <fstream>

#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "plot/PlotAxes.h"
#include "plot/PlotSvg.h"
#include "window/Main.h"
#include "window/MainHelp.h"

namespace {

const char* const PlacementSection = "TGraphForm";
// Zoom per wheel notch and per key; the view never shrinks below a sliver of its values.
constexpr double WheelFactor = 0.85;
constexpr double KeyFactor = 0.8;

QColor Rgb(std::uint32_t rgb) {
    return QColor::fromRgb(rgb);
}

bool Usable(TPlotRange r) {
    const long double size = std::max(std::fabs(r.Min), std::fabs(r.Max));
    return std::isfinite(r.Min) && std::isfinite(r.Max) && r.Span() > size * 1e-15L &&
           r.Span() < 1e300L;
}

} // namespace

void TMainForm::GraphItemClick() {
    if (GraphForm == nullptr) {
        GraphForm = new TGraphForm(Calculator, this);
        try {
            const TIniFile ini(SettingsFileName);
            GraphForm->RestorePlacement(ini);
        } catch (const std::exception&) {
            // An unreadable settings file leaves the window where the desktop puts it.
        }
        GraphForm->show();
        // The picture shows the input as "=" would calculate it.
        if (!InputMemo->toPlainText().trimmed().isEmpty()) CalcButtonClick();
    }
    GraphForm->show();
    GraphForm->raise();
    GraphForm->activateWindow();
}

TGraphForm::TGraphForm(TCalculator& calculator, QWidget* parent)
    : QWidget(parent, Qt::Window), Calculator(calculator) {
    setObjectName("GraphForm");
    setWindowTitle("Grafik");
    setMinimumSize(360, 260);
    resize(720, 520);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    SetHelpContext(this, HelpContextGraph);
    InstallHelpKey(this);

    auto* reset = new QPushButton("&Zurücksetzen", this);
    reset->setObjectName("ResetButton");
    reset->setToolTip("Ausschnitt der Berechnung (Pos1)");
    auto* png = new QPushButton("Als &PNG...", this);
    png->setObjectName("PngButton");
    auto* svg = new QPushButton("Als &SVG...", this);
    svg->setObjectName("SvgButton");
    ReadoutLabel = new QLabel(this);
    ReadoutLabel->setObjectName("ReadoutLabel");
    ReadoutLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QPushButton* button : {reset, png, svg}) button->setFocusPolicy(Qt::TabFocus);
    auto* row = new QHBoxLayout;
    row->addWidget(reset);
    row->addWidget(png);
    row->addWidget(svg);
    row->addSpacing(12);
    row->addWidget(ReadoutLabel, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addStretch(1);
    connect(reset, &QPushButton::clicked, this, &TGraphForm::ResetView);
    connect(png, &QPushButton::clicked, this, [this] { AskExport(false); });
    connect(svg, &QPushButton::clicked, this, [this] { AskExport(true); });
}

void TGraphForm::ShowCalculation(const TCalcRequest& request, const TCalcOutcome* outcome) {
    Request = request;
    Outcome.reset();
    if (outcome) Outcome = *outcome;
    HasCalculation = true;
    ResetView();
}

void TGraphForm::ResetView() {
    XRange.reset();
    YRange.reset();
    Rebuild();
}

void TGraphForm::ZoomAt(QPointF pos, double factor) {
    const TPlotPoint p = PointAt(pos);
    const TPlotView& v = CurrentScene.View;
    const TPlotRange x{p.X - (p.X - v.X.Min) * factor, p.X + (v.X.Max - p.X) * factor};
    const TPlotRange y{p.Y - (p.Y - v.Y.Min) * factor, p.Y + (v.Y.Max - p.Y) * factor};
    if (!Usable(x) || !Usable(y)) return;
    XRange = x;
    YRange = y;
    Rebuild();
}

void TGraphForm::PanBy(QPointF pixels) {
    const QRect area = PlotRect();
    const TPlotView& v = CurrentScene.View;
    const long double dx = -pixels.x() / area.width() * v.X.Span();
    const long double dy = pixels.y() / area.height() * v.Y.Span();
    const TPlotRange x{v.X.Min + dx, v.X.Max + dx}, y{v.Y.Min + dy, v.Y.Max + dy};
    if (!Usable(x) || !Usable(y)) return;
    XRange = x;
    YRange = y;
    Rebuild();
}

void TGraphForm::Rebuild() {
    const QRect area = PlotRect();
    if (!HasCalculation) {
        CurrentScene = {};
        CurrentScene.View.WidthPx = area.width();
        CurrentScene.View.HeightPx = area.height();
        CurrentScene.Caption = "Noch keine Berechnung";
    } else {
        try {
            CurrentScene = BuildPlotScene(Calculator, Request, Outcome ? &*Outcome : nullptr,
                                          XRange, YRange, area.width(), area.height());
        } catch (const std::exception& e) {
            CurrentScene = {};
            CurrentScene.Caption = e.what();
        }
        // The window shows exactly its area; the scene must agree even when it failed.
        CurrentScene.View.WidthPx = area.width();
        CurrentScene.View.HeightPx = area.height();
    }
    if (Crosshair) UpdateCrosshair(*Crosshair);
    update();
}

QRect TGraphForm::PlotRect() const {
    const QLayout* column = layout();
    const int top = column && column->count() > 0 ? column->itemAt(0)->geometry().bottom() + 4 : 40;
    const QRect r(PlotMargins::Left, top + PlotMargins::Top,
                  width() - PlotMargins::Left - PlotMargins::Right,
                  height() - top - PlotMargins::Top - PlotMargins::Bottom);
    return QRect(r.topLeft(), QSize(std::max(r.width(), 40), std::max(r.height(), 40)));
}

QPointF TGraphForm::PixelOf(TPlotPoint point) const {
    const QRect area = PlotRect();
    const TPlotView& v = CurrentScene.View;
    return {static_cast<double>(area.left() + (point.X - v.X.Min) / v.X.Span() * area.width()),
            static_cast<double>(area.top() + (v.Y.Max - point.Y) / v.Y.Span() * area.height())};
}

TPlotPoint TGraphForm::PointAt(QPointF pixel) const {
    const QRect area = PlotRect();
    const TPlotView& v = CurrentScene.View;
    return {v.X.Min + (pixel.x() - area.left()) / area.width() * v.X.Span(),
            v.Y.Max - (pixel.y() - area.top()) / area.height() * v.Y.Span()};
}

QString TGraphForm::Readout() const {
    return ReadoutLabel->text();
}

void TGraphForm::UpdateCrosshair(QPointF pos) {
    Crosshair = pos;
    // x to the digits a pixel can tell apart, f(x) exactly there.
    const long double pixel = CurrentScene.View.X.Span() / std::max(1, PlotRect().width());
    const long double unit = std::pow(10.0L, std::floor(std::log10(pixel)));
    long double x = PointAt(pos).X;
    if (std::isfinite(unit) && unit > 0 && std::fabs(x / unit) < 1e15L)
        x = std::nearbyint(x / unit) * unit;
    const QString var = QString::fromStdString(CurrentScene.VarName.empty() ? "x"
                                                                            : CurrentScene.VarName);
    QString text = var + " = " + QString::fromStdString(TickText(x, unit));
    if (HasCalculation) {
        long double y = 0;
        TKvPlotSampler sampler(&Calculator.MainFunction(), CurrentScene.VarName);
        text += "    f(" + var + ") = " +
                (sampler.Evaluate(x, y) ? QString::fromStdString(FloatToStr(y))
                                        : QString("nicht definiert"));
    }
    ReadoutLabel->setText(text);
    update();
}

void TGraphForm::Paint(QPainter& painter, QRect area) {
    const TPlotScene& s = CurrentScene;
    const QColor base = palette().color(QPalette::Base);
    const bool dark = base.lightness() < 128;
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = dark ? QColor(0x50, 0x50, 0x50) : QColor(0xE0, 0xE0, 0xE0);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, base);

    auto polygon = [&](const TPlotLine& line) {
        QPolygonF points;
        for (const TPlotPoint& p : line) points << PixelOf(p);
        return points;
    };
    const int xCount = std::max(2, area.width() / 90), yCount = std::max(2, area.height() / 60);
    const std::vector<long double> xTicks = AxisTicks(s.View.X, xCount);
    const std::vector<long double> yTicks = AxisTicks(s.View.Y, yCount);
    const long double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : s.View.X.Span();
    const long double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : s.View.Y.Span();
    const QFontMetrics metrics(painter.font());
    for (long double t : xTicks) {
        const double x = PixelOf({t, 0}).x();
        painter.setPen(grid);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(text);
        const QString label = QString::fromStdString(TickText(t, xStep));
        painter.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2.0,
                                 area.bottom() + metrics.height() + 2),
                         label);
    }
    for (long double t : yTicks) {
        const double y = PixelOf({0, t}).y();
        painter.setPen(grid);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(text);
        const QString label = QString::fromStdString(TickText(t, yStep));
        painter.drawText(QPointF(area.left() - 6 - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() / 2.0 - 1),
                         label);
    }
    painter.save();
    painter.setClipRect(area);
    QColor axis = text;
    axis.setAlpha(170);
    painter.setPen(QPen(axis, 1));
    if (s.View.Y.Min <= 0 && s.View.Y.Max >= 0)
        painter.drawLine(QPointF(area.left(), PixelOf({0, 0}).y()),
                         QPointF(area.right(), PixelOf({0, 0}).y()));
    if (s.View.X.Min <= 0 && s.View.X.Max >= 0)
        painter.drawLine(QPointF(PixelOf({0, 0}).x(), area.top()),
                         QPointF(PixelOf({0, 0}).x(), area.bottom()));

    QColor area_ = Rgb(PlotColours::Area);
    area_.setAlpha(110);
    painter.setPen(Qt::NoPen);
    painter.setBrush(area_);
    for (const TPlotLine& piece : s.Area) painter.drawPolygon(polygon(piece));
    painter.setBrush(Qt::NoBrush);
    auto lines = [&](const std::vector<TPlotLine>& list, QColor colour, double width,
                     Qt::PenStyle style) {
        QPen pen(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        for (const TPlotLine& line : list) painter.drawPolyline(polygon(line));
    };
    lines(s.Second, Rgb(PlotColours::Second), 2, Qt::DashLine);
    lines(s.Curve, Rgb(dark ? PlotColours::DarkCurve : PlotColours::Curve), 2, Qt::SolidLine);
    lines(s.Arc, Rgb(PlotColours::Arc), 5, Qt::SolidLine);
    lines(s.Guides, Rgb(PlotColours::Guide), 1.5, Qt::DashLine);
    painter.setPen(text);
    painter.setBrush(text);
    for (const TPlotMark& mark : s.Marks) {
        const QPointF at = PixelOf(mark.At);
        painter.drawEllipse(at, 4, 4);
        if (!mark.Text.empty())
            painter.drawText(at + QPointF(7, -7), QString::fromStdString(mark.Text));
    }
    painter.setBrush(Qt::NoBrush);
    if (Crosshair && area.contains(Crosshair->toPoint())) {
        QColor hair = text;
        hair.setAlpha(120);
        painter.setPen(QPen(hair, 1, Qt::DotLine));
        painter.drawLine(QPointF(Crosshair->x(), area.top()), QPointF(Crosshair->x(), area.bottom()));
        painter.drawLine(QPointF(area.left(), Crosshair->y()), QPointF(area.right(), Crosshair->y()));
    }
    painter.restore();
    painter.setPen(grid.darker(dark ? 50 : 150));
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    const double line = metrics.height();
    painter.setPen(Rgb(dark ? PlotColours::DarkCurve : PlotColours::Curve));
    painter.drawText(QPointF(area.left(), area.top() - 2 * line + metrics.ascent() - 6),
                     QString::fromStdString(s.Title));
    if (!s.SecondTitle.empty()) {
        const QString second = QString::fromStdString(s.SecondTitle);
        painter.setPen(Rgb(PlotColours::Second));
        painter.drawText(QPointF(area.right() - metrics.horizontalAdvance(second),
                                 area.top() - 2 * line + metrics.ascent() - 6),
                         second);
    }
    painter.setPen(text);
    painter.drawText(QPointF(area.left(), area.top() - line + metrics.ascent() - 6),
                     QString::fromStdString(s.Caption));
}

QImage TGraphForm::Render(QSize size) {
    if (size != this->size()) resize(size);
    if (layout()) layout()->activate();
    Rebuild();
    QImage image(size, QImage::Format_ARGB32);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    Paint(painter, PlotRect());
    return image;
}

bool TGraphForm::ExportPng(const QString& fileName) {
    QImage image(size(), QImage::Format_ARGB32);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    Paint(painter, PlotRect());
    painter.end();
    return image.save(fileName, "PNG");
}

bool TGraphForm::ExportSvg(const QString& fileName) {
    std::ofstream file(fileName.toStdString(), std::ios::binary | std::ios::trunc);
    file << PlotSvg(CurrentScene);
    file.close();
    return static_cast<bool>(file);
}

void TGraphForm::AskExport(bool svg) {
    const QString fileName = QFileDialog::getSaveFileName(
        this, svg ? "Grafik als SVG speichern" : "Grafik als PNG speichern",
        svg ? "grafik.svg" : "grafik.png", svg ? "SVG-Grafik (*.svg)" : "PNG-Bild (*.png)");
    if (fileName.isEmpty()) return;
    if (!(svg ? ExportSvg(fileName) : ExportPng(fileName)))
        QMessageBox::warning(this, "Grafik",
                             "'" + fileName + "' kann nicht geschrieben werden.");
}

void TGraphForm::RestorePlacement(const TIniFile& ini) {
    const int width = ini.ReadInteger(PlacementSection, "Width", 0);
    const int height = ini.ReadInteger(PlacementSection, "Height", 0);
    if (width <= 0 || height <= 0) return;
    const QRect placed(ini.ReadInteger(PlacementSection, "Left", x()),
                       ini.ReadInteger(PlacementSection, "Top", y()), width, height);
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(placed);
    resize(placed.size());
    if (onScreen) move(placed.topLeft());
}

void TGraphForm::SavePlacement(TIniFile& ini) const {
    ini.WriteInteger(PlacementSection, "Left", x());
    ini.WriteInteger(PlacementSection, "Top", y());
    ini.WriteInteger(PlacementSection, "Width", width());
    ini.WriteInteger(PlacementSection, "Height", height());
}

void TGraphForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter, PlotRect());
}

void TGraphForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Rebuild();
}

void TGraphForm::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0) ZoomAt(event->position(), std::pow(WheelFactor, notches));
    event->accept();
}

void TGraphForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) DragFrom = event->position();
    setFocus();
}

void TGraphForm::mouseMoveEvent(QMouseEvent* event) {
    if (DragFrom && (event->buttons() & Qt::LeftButton)) {
        PanBy(event->position() - *DragFrom);
        DragFrom = event->position();
    }
    UpdateCrosshair(event->position());
}

void TGraphForm::mouseReleaseEvent(QMouseEvent*) {
    DragFrom.reset();
}

void TGraphForm::leaveEvent(QEvent*) {
    Crosshair.reset();
    update();
}

void TGraphForm::keyPressEvent(QKeyEvent* event) {
    const QRect area = PlotRect();
    const QPointF centre = area.center();
    const double stepX = area.width() / 10.0, stepY = area.height() / 10.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAt(centre, KeyFactor);
        break;
    case Qt::Key_Minus:
        ZoomAt(centre, 1 / KeyFactor);
        break;
    case Qt::Key_Left:
        PanBy({stepX, 0});
        break;
    case Qt::Key_Right:
        PanBy({-stepX, 0});
        break;
    case Qt::Key_Up:
        PanBy({0, stepY});
        break;
    case Qt::Key_Down:
        PanBy({0, -stepY});
        break;
    case Qt::Key_Home:
    case Qt::Key_0:
        ResetView();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
