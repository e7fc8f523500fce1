// The option panel of the main window: mode, unit, size, compression, format.
#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <cstdio>
#include <cstdlib>

#include "controls/CEditEx.h"
#include "controls/CSpinButton.h"
#include "imaging/PictureFormat.h"
#include "settings/PanelOptions.h"
#include "settings/SettingsStore.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/COutputOptionsDialog.h"
#include "ui/CPictureBox.h"
#include "ui/OutputEstimator.h"

namespace {

// A width or height text: a number from its leading characters, 0 when there is none.
float ParseValue(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return static_cast<float>(std::strtod(bytes.constData(), nullptr));
}

int ParseInteger(const QString& text) { return SpinStep(text, 0, 0, INT_MAX); }

// format: a translated text, whose translations keep every conversion in its order.
QString Printf(const QString& format, double a, double b = 0)
{
    char buffer[256]; // room for two of the largest floats in the longest translation
    std::snprintf(buffer, sizeof buffer, format.toUtf8().constData(), a, b);
    return QString::fromUtf8(buffer);
}

} // namespace

void CKestrovaDlg::ConnectOptionControls()
{
    // The fields follow the mode shown, however it came to be shown.
    connect(m_resizeModeCombo, &QComboBox::currentIndexChanged, this, &CKestrovaDlg::ApplyModeToControls);
    // Changed by mouse, keyboard, wheel or code: each change once. The program's own showing
    // of the batch's values is no change.
    const auto onChange = [this](QComboBox* combo, void (CKestrovaDlg::*handler)()) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, handler] {
            if (!m_syncingControls)
                (this->*handler)();
        });
    };
    onChange(m_resizeModeCombo, &CKestrovaDlg::OnResizeModeChanged);
    onChange(m_widthUnitCombo, &CKestrovaDlg::OnWidthUnitChanged);
    onChange(m_heightUnitCombo, &CKestrovaDlg::OnHeightUnitChanged);
    onChange(m_formatCombo, &CKestrovaDlg::OnOutputFormatChanged);
    // Picking a unit, even the one shown, makes its field take what that unit takes.
    connect(m_widthUnitCombo, &QComboBox::activated, m_widthEdit, &CEditEx::SetInputMode);
    connect(m_heightUnitCombo, &QComboBox::activated, m_heightEdit, &CEditEx::SetInputMode);
    // toggled, not a click: arrows and code change an option too. Of two radios, only the
    // one turned on reports.
    for (QAbstractButton* radio : { m_radioQuality.data(), m_radioSize.data() })
        if (radio)
            connect(radio, &QAbstractButton::toggled, this, [this](bool on) {
                if (on)
                    OnCompressionChosen();
            });
    if (m_chkOverwrite)
        connect(m_chkOverwrite, &QAbstractButton::toggled, this, &CKestrovaDlg::OnOverwriteToggled);
    if (m_chkOpenFolder)
        connect(m_chkOpenFolder, &QAbstractButton::toggled, this, &CKestrovaDlg::OnOpenFolderToggled);
    connect(m_widthEdit, &QLineEdit::textChanged, this, &CKestrovaDlg::OnWidthEdited);
    connect(m_heightEdit, &QLineEdit::textChanged, this, &CKestrovaDlg::OnHeightEdited);
    connect(m_qualityEdit, &QLineEdit::textChanged, this, &CKestrovaDlg::OnQualityEdited);
    connect(m_sizeEdit, &QLineEdit::textChanged, this, &CKestrovaDlg::OnTargetSizeEdited);
    for (QAbstractButton* check : { m_chkDoNotEnlarge.data(), m_chkKeepAlpha.data(), m_chkShrinkToFit.data() })
        if (check)
            connect(check, &QAbstractButton::toggled, this, &CKestrovaDlg::OnOutputOptionToggled);
    if (m_preview)
        connect(m_preview, &CPictureBox::PreviewRendered, this, &CKestrovaDlg::UpdateOutputEstimate);
    // A narrow window shows only the end of a long folder; the whole of it is a hover away.
    connect(m_outputEdit, &QLineEdit::textChanged, m_outputEdit, &QWidget::setToolTip);
    m_outputEdit->setToolTip(m_outputEdit->text());
    // The preview follows the list's current picture, moved by mouse or keyboard.
    connect(
        m_imageList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            if (!m_listSyncing && current.isValid() && current.row() != m_batch.GetSelectedIndex())
                SelectEntryForPreview(current.row());
        });
}

void CKestrovaDlg::SetEditText(QLineEdit* edit, const QString& text)
{
    if (edit->text() == text)
        emit edit->textChanged(text);
    else
        edit->setText(text);
}

QString CKestrovaDlg::FormatValue(double value) const
{
    return Printf(QLatin1String(m_batch.GetSizeUnit() == Percent ? "%.2f" : "%.0f"), value);
}

void CKestrovaDlg::OnResizeModeChanged()
{
    const int m = m_resizeModeCombo->currentIndex();
    if (m < 0)
        return;
    m_batch.SetResizeMode(static_cast<ResizeMode>(m)); // the combo lists the modes in their numeric order
    RefreshOptionControls();
    UpdateInfoText();
    RememberOptions();
    emit OptionApplied(m_resizeModeCombo->objectName());
}

void CKestrovaDlg::ApplyModeToControls()
{
    const int m = m_resizeModeCombo->currentIndex();
    if (m < 0)
        return;
    const ResizeMode mode = static_cast<ResizeMode>(m);
    const bool widthOn = mode != RestrictHeight;
    const bool heightOn = mode == ScaledImage || mode == FixImage || mode == RestrictHeight || mode == FitInBox;
    // The pixel-only modes have no unit to choose.
    const bool pixelOnly = IsPixelOnlyMode(mode);
    m_widthEdit->setEnabled(widthOn);
    m_widthUnitCombo->setEnabled(widthOn && !pixelOnly);
    m_heightEdit->setEnabled(heightOn);
    m_heightUnitCombo->setEnabled(heightOn && !pixelOnly);
    // Leaving them, the fields take what they took before.
    if (pixelOnly && !m_pixelOnlyShown) {
        m_savedInputModes = { m_widthEdit->GetInputMode(), m_heightEdit->GetInputMode() };
        m_widthEdit->SetInputMode(Pixel);
        m_heightEdit->SetInputMode(Pixel);
    } else if (!pixelOnly && m_pixelOnlyShown) {
        m_widthEdit->SetInputMode(m_savedInputModes.first);
        m_heightEdit->SetInputMode(m_savedInputModes.second);
    }
    m_pixelOnlyShown = pixelOnly;
    QString widthText = tr("Width");
    QString heightText = tr("Height");
    if (mode == FitInBox) {
        widthText = tr("Box width");
        heightText = tr("Box height");
    } else if (mode == LongEdge) {
        widthText = tr("Long edge");
    } else if (mode == ShortEdge) {
        widthText = tr("Short edge");
    }
    if (m_textWidth)
        m_textWidth->setText(widthText);
    if (m_textHeight)
        m_textHeight->setText(heightText);
}

void CKestrovaDlg::OnWidthUnitChanged()
{
    {
        const QScopedValueRollback syncing(m_syncingControls, true);
        m_heightUnitCombo->setCurrentIndex(m_widthUnitCombo->currentIndex());
    }
    const int u = m_heightUnitCombo->currentIndex();
    m_batch.SetSizeUnit(static_cast<SizeUnit>(u)); // the combo lists the units in their numeric order
    m_widthEdit->SetInputMode(u);
    RefreshOptionControls();
    UpdateInfoText();
    RememberOptions();
    emit OptionApplied(m_widthUnitCombo->objectName());
}

void CKestrovaDlg::OnHeightUnitChanged()
{
    {
        const QScopedValueRollback syncing(m_syncingControls, true);
        m_widthUnitCombo->setCurrentIndex(m_heightUnitCombo->currentIndex());
    }
    const int u = m_heightUnitCombo->currentIndex();
    m_batch.SetSizeUnit(static_cast<SizeUnit>(u));
    m_heightEdit->SetInputMode(u);
    RefreshOptionControls();
    UpdateInfoText();
    RememberOptions();
    emit OptionApplied(m_heightUnitCombo->objectName());
}

void CKestrovaDlg::OnWidthEdited()
{
    m_batch.SetWidthValue(ParseValue(m_widthEdit->text()), CurrentUnit);
    if (!m_heightEdit->isEnabled())
        SetEditText(m_heightEdit, FormatValue(m_batch.GetHeightValue(CurrentUnit)));
    UpdatePreviewScale();
    UpdateInfoText();
    UpdateOutputEstimate();
    RememberOptions();
}

void CKestrovaDlg::OnHeightEdited()
{
    m_batch.SetHeightValue(ParseValue(m_heightEdit->text()), CurrentUnit);
    if (!m_widthEdit->isEnabled())
        SetEditText(m_widthEdit, FormatValue(m_batch.GetWidthValue(CurrentUnit)));
    UpdatePreviewScale();
    UpdateInfoText();
    UpdateOutputEstimate();
    RememberOptions();
}

void CKestrovaDlg::RefreshOptionControls()
{
    const int m = m_batch.GetResizeMode(), u = m_batch.GetSizeUnit();
    {
        const QScopedValueRollback syncing(m_syncingControls, true);
        m_resizeModeCombo->setCurrentIndex(m);
        m_widthUnitCombo->setCurrentIndex(u);
        m_heightUnitCombo->setCurrentIndex(u);
    }
    // Before the values, so a field that follows the other is known as one.
    ApplyModeToControls();
    SetEditText(m_widthEdit, FormatValue(m_batch.GetWidthValue(CurrentUnit)));
    SetEditText(m_heightEdit, FormatValue(m_batch.GetHeightValue(CurrentUnit)));
}

void CKestrovaDlg::UpdateInfoText()
{
    const double w = static_cast<float>(m_batch.GetWidthValue(CurrentUnit));
    const double h = static_cast<float>(m_batch.GetHeightValue(CurrentUnit));
    const int unit = m_batch.GetSizeUnit();
    QString text;
    switch (m_batch.GetResizeMode()) {
    case ScaledImage:
        if (static_cast<int>(w * 100) == static_cast<int>(h * 100))
            text = Printf(tr("Info : Images resize to %.2f%% \r\n"), w);
        else
            text = Printf(tr("Info : Images resize to (%.2f%% Width) x (%.2f%% Height)"), w, h);
        break;
    case FixImage:
        text = Printf(tr("Info : Images resize to %.0f x %.0f"), w, h);
        break;
    case RestrictWidth:
        if (unit == Percent)
            text = Printf(tr("Info : Images resize to %.2f%% \r\n"), w);
        else if (unit == Pixel)
            text = Printf(tr("Info : Images resize to %.0f x (%.0f * Propotions%%) "), w, w);
        break;
    case RestrictHeight:
        if (unit == Percent)
            text = Printf(tr("Info : Images resize to %.2f%% \r\n"), w);
        else if (unit == Pixel)
            text = Printf(tr("Info : Images resize to (%.0f * Propotions%%) x %.0f "), h, h);
        break;
    case FitInBox:
        text = Printf(tr("Info : Images fit in a box of %.0f x %.0f"), w, h);
        break;
    case LongEdge:
        text = Printf(tr("Info : The long edge of images becomes %.0f"), w);
        break;
    case ShortEdge:
        text = Printf(tr("Info : The short edge of images becomes %.0f"), w);
        break;
    default:
        break;
    }
    if (m_labelInfos)
        m_labelInfos->setText(text);
}

void CKestrovaDlg::OnQualityEdited()
{
    if (m_batch.GetSelectedIndex() < 0)
        return;
    const int q = ParseInteger(m_qualityEdit->text());
    m_batch.SetQuality(q);
    RememberOptions();
    if (m_preview)
        m_preview->SetPreviewQuality(q);
    UpdatePreviewScale();
}

void CKestrovaDlg::UpdatePreviewScale()
{
    if (!m_preview)
        return;
    int wp = static_cast<int>(m_batch.GetWidthValue(Percent));
    int hp = static_cast<int>(m_batch.GetHeightValue(Percent));
    // The pixel-only modes and Do Not Enlarge depend on the picture: its own size decides the scale.
    const ImageEntry* entry = m_batch.GetEntry(m_batch.GetSelectedIndex());
    if (entry && entry->GetPixelWidth() > 0 && entry->GetPixelHeight() > 0
        && (IsPixelOnlyMode(m_batch.GetResizeMode()) || m_batch.GetDoNotEnlarge())) {
        const TargetSize target = ComputeTargetSize(entry->GetPixelWidth(), entry->GetPixelHeight(),
            m_batch.GetResizeMode(), m_batch.GetSizeUnit(), static_cast<float>(m_batch.GetWidthValue(CurrentUnit)),
            static_cast<float>(m_batch.GetHeightValue(CurrentUnit)), m_batch.GetDoNotEnlarge());
        wp = target.resample ? static_cast<int>(target.width * 100 / entry->GetPixelWidth()) : 100;
        hp = target.resample ? static_cast<int>(target.height * 100 / entry->GetPixelHeight()) : 100;
    }
    m_preview->SetWidthPercent(wp);
    m_preview->SetHeightPercent(hp);
}

void CKestrovaDlg::OnTargetSizeEdited()
{
    m_batch.SetTargetSizeKB(ParseInteger(m_sizeEdit->text()));
    RememberOptions();
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnCompressionChosen()
{
    ApplyCompressionToControls();
    RememberOptions();
    UpdateOutputEstimate();
    const bool size = m_radioSize && m_radioSize->isChecked();
    emit OptionApplied(size ? QStringLiteral("radioSize") : QStringLiteral("radioQuality"));
}

void CKestrovaDlg::ApplyCompressionToControls()
{
    // The radios keep the user's choice while a format without a quality turns them off.
    const FormatRow* format = FindWrittenFormat(m_batch.GetOutputExtension());
    const bool takesQuality = format && format->takesQuality;
    const bool size = m_radioSize && m_radioSize->isChecked();
    m_batch.SetCompressionChoice(!takesQuality ? CompressFormatDefault : size ? CompressTargetSize : CompressQuality);
    for (QAbstractButton* radio : { m_radioQuality.data(), m_radioSize.data() })
        if (radio)
            radio->setEnabled(takesQuality);
    m_qualityEdit->setEnabled(takesQuality && !size);
    m_qualitySpin->setEnabled(takesQuality && !size);
    m_sizeEdit->setEnabled(takesQuality && size);
    m_sizeSpin->setEnabled(takesQuality && size);
    UpdateOptionChecks();
}

void CKestrovaDlg::OnOverwriteToggled()
{
    if (m_chkOverwrite)
        m_batch.SetOverwriteExisting(m_chkOverwrite->isChecked());
    RememberOptions();
    emit OptionApplied(QStringLiteral("chkOverwrite"));
}

void CKestrovaDlg::OnOptions()
{
    COutputOptionsDialog dialog(m_batch.GetOutputOptions(), m_batch.GetOverwriteExisting(), this);
    if (!ExecOptionsDialog(dialog))
        return;
    m_batch.SetOutputOptions(dialog.GetOptions());
    // The box on the panel says the same as the dialog's choice; its handler stores it.
    if (m_chkOverwrite && m_chkOverwrite->isChecked() != dialog.GetOverwrite())
        m_chkOverwrite->setChecked(dialog.GetOverwrite());
    else
        m_batch.SetOverwriteExisting(dialog.GetOverwrite());
    RememberOptions();
    UpdateOutputEstimate();
    emit OptionApplied(QStringLiteral("btnOptions"));
}

bool CKestrovaDlg::ExecOptionsDialog(COutputOptionsDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

void CKestrovaDlg::RememberOptions()
{
    if (!m_showingOptions)
        SettingsStore::SetPanelOptions(CapturePanelOptions(m_batch));
}

void CKestrovaDlg::RestoreRememberedDimensions()
{
    m_batch.ResetDimensions();
    PanelOptions panel = CapturePanelOptions(m_batch);
    panel.dimensions = SettingsStore::GetPanelOptions().dimensions;
    ApplyPanelOptions(panel, m_batch);
}

void CKestrovaDlg::ShowOptionsInControls()
{
    const QScopedValueRollback showing(m_showingOptions, true);
    const PanelOptions shown = CapturePanelOptions(m_batch);
    const std::vector<const FormatRow*> formats = GetWrittenFormats();
    for (std::size_t i = 0; i < formats.size(); ++i)
        if (formats[i]->extension == shown.extension) {
            const QSignalBlocker quiet(m_formatCombo);
            m_formatCombo->setCurrentIndex(static_cast<int>(i));
        }
    // A format without a quality keeps whichever radio was on; the others say which one the run uses.
    QAbstractButton* radio = shown.compression.choice == CompressTargetSize ? m_radioSize : m_radioQuality;
    if (radio && shown.compression.choice != CompressFormatDefault) {
        const QSignalBlocker quiet(radio);
        radio->setChecked(true);
    }
    {
        const QSignalBlocker quietQuality(m_qualityEdit), quietSize(m_sizeEdit);
        m_qualityEdit->setText(QString::number(shown.compression.quality));
        m_sizeEdit->setText(QString::number(shown.compression.targetSizeKB));
    }
    const std::pair<QAbstractButton*, bool> checks[] = {
        { m_chkDoNotEnlarge, shown.options.doNotEnlarge },
        { m_chkKeepAlpha, shown.options.keepAlpha },
        { m_chkShrinkToFit, shown.options.shrinkToFit },
        { m_chkOverwrite, shown.overwrite },
    };
    for (const auto& [check, on] : checks)
        if (check) {
            const QSignalBlocker quiet(check);
            check->setChecked(on);
        }
    RefreshOptionControls();
    ApplyCompressionToControls();
    UpdateInfoText();
    UpdatePreviewScale();
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnOutputFormatChanged()
{
    // The combo holds the written formats in table order.
    const std::vector<const FormatRow*> formats = GetWrittenFormats();
    const int index = m_formatCombo->currentIndex();
    if (index < 0 || index >= static_cast<int>(formats.size()))
        return;
    m_batch.SetOutputExtension(std::string(formats[static_cast<std::size_t>(index)]->extension));
    ApplyCompressionToControls();
    RememberOptions();
    UpdateOutputEstimate();
    emit OptionApplied(m_formatCombo->objectName());
}

void CKestrovaDlg::UpdateOptionChecks()
{
    if (m_chkShrinkToFit)
        m_chkShrinkToFit->setEnabled(m_sizeEdit->isEnabled());
    const FormatRow* format = FindWrittenFormat(m_batch.GetOutputExtension());
    if (m_chkKeepAlpha)
        m_chkKeepAlpha->setEnabled(format && format->keepsAlpha);
}

void CKestrovaDlg::OnOutputOptionToggled()
{
    if (m_chkDoNotEnlarge)
        m_batch.SetDoNotEnlarge(m_chkDoNotEnlarge->isChecked());
    if (m_chkKeepAlpha)
        m_batch.SetKeepAlpha(m_chkKeepAlpha->isChecked());
    if (m_chkShrinkToFit)
        m_batch.SetShrinkToFit(m_chkShrinkToFit->isChecked());
    RememberOptions();
    UpdatePreviewScale();
    UpdateOutputEstimate();
    if (const QObject* check = sender())
        emit OptionApplied(check->objectName());
}

void CKestrovaDlg::UpdateOutputEstimate()
{
    if (!m_labelEstimate)
        return;
    const ImageEntry* entry = m_batch.GetEntry(m_batch.GetSelectedIndex());
    const ConvertSnapshot settings = TakeConvertSnapshot(m_batch);
    const TargetSize target = entry ? ComputeTargetSize(entry->GetPixelWidth(), entry->GetPixelHeight(), settings.mode,
                                  settings.unit, settings.w, settings.h, settings.options.doNotEnlarge)
                                    : TargetSize {};
    const std::int64_t w = !entry ? 0 : target.resample ? target.width : entry->GetPixelWidth();
    const std::int64_t h = !entry ? 0 : target.resample ? target.height : entry->GetPixelHeight();
    if (m_btnCompare)
        m_btnCompare->setEnabled(entry && w >= 1 && h >= 1);
    m_labelEstimate->setToolTip(QString());
    if (!entry) {
        m_estimator->Clear();
        m_labelEstimate->clear();
        return;
    }
    if (w < 1 || h < 1) {
        m_estimator->Clear();
        m_labelEstimate->setText(tr("Output: nothing to write at this size"));
        return;
    }
    // The preview first: its decode is what the user waits for, the exact size comes after it.
    if (m_preview && m_preview->IsDecodePending())
        m_estimator->Clear();
    else
        m_estimator->Request(entry->GetPath(), settings);
    const ConvertOutcome* exact = m_estimator->GetResult();
    const bool targetSize = settings.choice == CompressTargetSize;
    if (m_preview) {
        m_preview->SetPreviewSettings(settings);
        // At a target size the preview shows the quality the run settles on, once it is known.
        const int quality = targetSize && exact && exact->quality > 0 ? exact->quality : settings.quality;
        if (m_preview->GetPreviewQuality() != quality && !m_preview->GetSourceRect().isEmpty())
            m_preview->SetPreviewQuality(quality);
    }
    const double kb = 1024.0;
    const auto kilobytes = [kb](double bytes) { return QString::number(bytes / kb, 'f', bytes < 10 * kb ? 1 : 0); };
    QString text;
    if (exact && exact->status == ConvertStatus::Written) {
        // Over the target even at the lowest quality: that is what matters, the quality is in the tooltip.
        text = (exact->overTarget ? tr("Output: %1 x %2 px, %3 KB, over the target")
                                  : tr("Output: %1 x %2 px, exactly %3 KB"))
                   .arg(exact->width)
                   .arg(exact->height)
                   .arg(kilobytes(static_cast<double>(exact->bytes)));
        if (targetSize && exact->quality > 0 && !exact->overTarget)
            text += tr(" at quality %1").arg(exact->quality);
        QString tip = tr("%1 bytes").arg(exact->bytes);
        if (exact->quality > 0)
            tip += tr(" at quality %1").arg(exact->quality);
        if (!exact->reason.empty())
            tip += QStringLiteral("; ") + QString::fromStdString(exact->reason);
        m_labelEstimate->setToolTip(tip);
    } else if (exact) {
        text = tr("Output: %1 x %2 px, cannot be written").arg(w).arg(h);
        m_labelEstimate->setToolTip(QString::fromStdString(exact->reason));
    } else {
        // While the exact size is being made: what is known already.
        text = tr("Output: %1 x %2 px").arg(w).arg(h);
        const QSize previewPixels = m_preview ? m_preview->GetPreviewPixels() : QSize();
        if (targetSize) {
            text += tr(", at most %1 KB").arg(m_batch.GetTargetSizeKB());
        } else if (m_preview && !m_preview->IsRenderPending() && m_preview->GetPreviewBytes() > 0
            && !previewPixels.isEmpty()) {
            // The preview's encoding, scaled by the pixel count: close enough to decide on a quality.
            const double pixels = static_cast<double>(previewPixels.width()) * previewPixels.height();
            text += tr(", about %1 KB")
                        .arg(kilobytes(
                            static_cast<double>(m_preview->GetPreviewBytes()) * (double(w) * double(h)) / pixels));
        } else if (settings.extension == ".bmp") {
            text += tr(", %1 KB").arg(
                kilobytes(54.0 + static_cast<double>((w * 3 + 3) / 4 * 4) * static_cast<double>(h)));
        }
    }
    // Whole in the tooltip when the line is too narrow for it.
    const QFontMetrics metrics(m_labelEstimate->font());
    const int room = m_labelEstimate->contentsRect().width();
    if (room > 0 && metrics.horizontalAdvance(text) > room) {
        const QString more = m_labelEstimate->toolTip();
        m_labelEstimate->setToolTip(more.isEmpty() ? text : text + QLatin1Char('\n') + more);
        text = metrics.elidedText(text, Qt::ElideRight, room);
    }
    m_labelEstimate->setText(text);
}
