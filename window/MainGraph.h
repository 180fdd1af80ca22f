// The graph window: the calculation of the main window as a picture, with zoom, pan, a
// crosshair readout and export.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "app/Calculator.h"
#include "plot/PlotScene.h"

class QLabel;
class TIniFile;

constexpr int HelpContextGraph = 40000;

class TGraphForm : public QWidget {
    Q_OBJECT
public:
    TGraphForm(TCalculator& calculator, QWidget* parent);

    // Draws the request's calculation afresh, at the ranges its fields suggest. No outcome:
    // the calculation ended with an exception.
    void ShowCalculation(const TCalcRequest& request, const TCalcOutcome* outcome);
    // Back to the ranges of the calculation.
    void ResetView();
    // Zooms by factor (below 1 magnifies) about the point at pixel pos of the drawing area.
    void ZoomAt(QPointF pos, double factor);
    // Moves the view by the given pixels of the drawing area.
    void PanBy(QPointF pixels);

    // The drawing area's picture; the same as the window shows.
    QImage Render(QSize size);
    bool ExportPng(const QString& fileName);
    bool ExportSvg(const QString& fileName);

    // The drawing area within the widget, and the plane's point at a pixel of it.
    QRect PlotRect() const;
    QPointF PixelOf(TPlotPoint point) const;
    TPlotPoint PointAt(QPointF pixel) const;

    const TPlotScene& Scene() const { return CurrentScene; }
    QString Readout() const;

    void RestorePlacement(const TIniFile& ini);
    void SavePlacement(TIniFile& ini) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Rebuild();
    void Paint(QPainter& painter, QRect area);
    void UpdateCrosshair(QPointF pos);
    void AskExport(bool svg);

    TCalculator& Calculator;
    TCalcRequest Request;
    std::optional<TCalcOutcome> Outcome;
    bool HasCalculation = false;
    std::optional<TPlotRange> XRange, YRange;
    TPlotScene CurrentScene;
    std::optional<QPointF> Crosshair;
    std::optional<QPointF> DragFrom;
    QLabel* ReadoutLabel;
};
