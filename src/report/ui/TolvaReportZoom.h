#pragma once
// The print-options window shown when the report's sheet does not fit the printer's paper:
// cut the report, scale it down, or print it on several sheets (tiles).

#include <QDialog>

class QCheckBox;
class QLabel;
class QRadioButton;

namespace orv {

struct TPrintTiling;

enum TTilingOption { toCut = 0, toScale = 1, toTiles = 2 };

struct TTilingAnswer {
    int Rows = 1, Columns = 1, Scale = 100;
    bool Valid = true;   // false: the printer's paper leaves no room inside the margins
};

// The rows, columns and scale of an option for a sheet on a printer page (all in
// hundredths of an inch).
TTilingAnswer ComputeTiling(int option, int sheetWidth, int sheetHeight, int printerWidth,
                            int printerHeight, int marginLeft, int marginTop, int marginRight,
                            int marginBottom);

class TFormTolvaReportZoom : public QDialog {
    Q_OBJECT
public:
    explicit TFormTolvaReportZoom(const TPrintTiling &tiling, QWidget *parent = nullptr);

    // Shows the window; on OK fills rows, columns and scale. False for cancel.
    bool Show(TPrintTiling &tiling);
    // The answer for the option now chosen.
    TTilingAnswer answer() const { return m_answer; }
    void setOption(int option);
    int option() const { return m_option; }
    void setTurned(bool turned);
    int printerWidth() const { return m_printerW; }
    int printerHeight() const { return m_printerH; }
    void setPrinterPage(int width, int height);
    // Reads the current printer's page.
    void readPrinterPage();
    QLabel *sheetLabel() const { return m_sheetLabel; }
    QLabel *printerLabel() const { return m_printerLabel; }
    QLabel *scaleLabel() const { return m_scaleLabel; }

private:
    class Box;
    void recompute();
    void printerSetup();

    int m_sheetW, m_sheetH;
    int m_ml, m_mt, m_mr, m_mb;
    int m_printerW = 0, m_printerH = 0;
    int m_option = toCut;
    bool m_landscape = false;
    TTilingAnswer m_answer;
    QLabel *m_sheetLabel, *m_printerLabel, *m_scaleLabel;
    QRadioButton *m_cut, *m_scale, *m_tiles;
    QCheckBox *m_turn;
    Box *m_box;
};

} // namespace orv
