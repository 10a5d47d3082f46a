#include "output/plot/frm_plot.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include "output/output_file.h"
#include "output/plot/bootstrap_plot.h"
#include "runtime/atomic_replace.h"
#include "runtime/message_box.h"
#include "runtime/qt_form_style.h"

namespace velmora {

namespace {

// The picture's place in `area`: as large as fits, its aspect kept, centred.
QRectF fitted(QSizeF picture, QRectF area) {
    const QSizeF size = picture.scaled(area.size(), Qt::KeepAspectRatio);
    return QRectF(area.center() - QPointF(size.width(), size.height()) / 2.0, size);
}

class PictureView final : public QWidget {
public:
    PictureView(QSvgRenderer& renderer, QWidget* parent) : QWidget(parent), m_renderer(renderer) {
        setObjectName(QStringLiteral("picPlot"));
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
        setMinimumSize(200, 150);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_renderer.isValid()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // Drawn as vectors at the device's resolution, so it is sharp at any dpi.
        m_renderer.render(&painter, fitted(m_renderer.defaultSize(), rect()));
    }

private:
    QSvgRenderer& m_renderer;
};

}  // namespace

frmPlot::frmPlot(MessageBoxService& messageBox, OutputFileSystem& files,
                 std::function<DataFilePaths()> dataFiles, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_messageBox(messageBox),
      m_files(files),
      m_dataFiles(std::move(dataFiles)),
      m_renderer(std::make_unique<QSvgRenderer>()) {
    setObjectName(QStringLiteral("frmPlot"));
    setWindowTitle(QStringLiteral("Bootstrap Plot"));
    setFont(formControlFont());
    m_view = new PictureView(*m_renderer, this);
    m_cmdSaveAs = new QPushButton(QStringLiteral("Save As\u2026"), this);
    m_cmdSaveAs->setObjectName(QStringLiteral("cmdSaveAs"));
    m_cmdCopy = new QPushButton(QStringLiteral("Copy"), this);
    m_cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdSaveAs);
    buttons->addWidget(m_cmdCopy);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    // The picture's own size at the screen's dpi (it is drawn for 96).
    resize(PLOT_WIDTH * logicalDpiX() / 96, PLOT_HEIGHT * logicalDpiY() / 96 + 48);
    connect(m_cmdSaveAs, &QPushButton::clicked, this, &frmPlot::cmdSaveAs_Click);
    connect(m_cmdCopy, &QPushButton::clicked, this, &frmPlot::cmdCopy_Click);
    applyFormStyle(this);
}

frmPlot::~frmPlot() = default;

void frmPlot::setPicture(std::string svg) {
    m_svg = std::move(svg);
    m_renderer->load(QByteArray(m_svg.data(), static_cast<qsizetype>(m_svg.size())));
    m_view->update();
}

QImage frmPlot::image(QSize size) const {
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, fitted(m_renderer->defaultSize(), QRectF(QPointF(), size)));
    return result;
}

void frmPlot::cmdSaveAs_Click() {
    QFileDialog dialog(this, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QStringLiteral("SVG picture (*.svg)"), QStringLiteral("PNG image (*.png)")});
    // The replace question is ours, asked through the message-box service.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString path = dialog.selectedFiles().first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("png"))
        path += dialog.selectedNameFilter().contains(QLatin1String("png")) ? QStringLiteral(".png")
                                                                           : QStringLiteral(".svg");
    saveTo(QFile::encodeName(path).toStdString());
}

bool frmPlot::saveTo(const std::string& path) {
    const std::string name = QFileInfo(QFile::decodeName(path.c_str())).fileName().toStdString();
    const SaveTarget target =
        classifySaveTarget(path, m_dataFiles ? m_dataFiles() : DataFilePaths{});
    if (target == SaveTarget::LoadedDataFile || target == SaveTarget::SelectedDataFile) {
        m_messageBox.show(dataFileRefusal(name, target), "Save As", MessageIcon::Warning,
                          MessageButtons::Ok);
        return false;
    }
    if (target == SaveTarget::Existing &&
        m_messageBox.show(replaceQuestion(name), "Save As", MessageIcon::Warning,
                          MessageButtons::YesNo) != MessageResult::Yes) {
        return false;
    }
    std::string bytes = m_svg;
    if (QFileInfo(QFile::decodeName(path.c_str()))
            .suffix()
            .compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) {
        const qreal ratio = std::max<qreal>(1.0, devicePixelRatioF());
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image(m_renderer->defaultSize() * ratio).save(&buffer, "PNG");
        bytes.assign(png.constData(), static_cast<std::size_t>(png.size()));
    }
    if (const Status saved = replaceFile(m_files, path, std::move(bytes)); !saved) {
        m_messageBox.show("The picture could not be saved: " + saved.failure().message, "Save As",
                          MessageIcon::Warning, MessageButtons::Ok);
        return false;
    }
    return true;
}

void frmPlot::cmdCopy_Click() {
    const qreal ratio = std::max<qreal>(1.0, devicePixelRatioF());
    QGuiApplication::clipboard()->setImage(image(m_renderer->defaultSize() * ratio));
}

}  // namespace velmora
