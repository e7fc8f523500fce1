// Named presets of the option panel, kept in the settings file beside the CLI's.
#include "ui/CKestrovaDlg.h"

#include <QInputDialog>
#include <QMenu>

#include "settings/AppIdentity.h"
#include "settings/PanelOptions.h"
#include "settings/SettingsStore.h"

namespace {

// A name as a menu shows it: an '&' is a letter, not a mnemonic.
QString MenuText(const std::string& name) { return QString::fromStdString(name).replace('&', QStringLiteral("&&")); }

} // namespace

bool CKestrovaDlg::ApplyPreset(const QString& name)
{
    PanelOptions preset;
    std::string error;
    if (!SettingsStore::LoadPreset(name.toStdString(), preset, error)) {
        ShowMessage(
            tr("The preset \"%1\" cannot be used: %2").arg(name, QString::fromStdString(error)), QMessageBox::Warning);
        return false;
    }
    ApplyPanelOptions(preset, m_batch);
    // Its sizes refer to the picture shown now, not to the one it was saved with.
    if (const ImageEntry* entry = m_batch.GetEntry(m_batch.GetSelectedIndex())) {
        m_batch.SetReferenceWidth(static_cast<std::int32_t>(entry->GetPixelWidth()));
        m_batch.SetReferenceHeight(static_cast<std::int32_t>(entry->GetPixelHeight()));
    }
    ShowOptionsInControls();
    RememberOptions();
    emit OptionApplied(QStringLiteral("preset"));
    return true;
}

bool CKestrovaDlg::SavePresetAs(const QString& name)
{
    const std::string problem = SettingsStore::CheckPresetName(name.toStdString());
    if (!problem.empty()) {
        ShowMessage(tr("\"%1\" cannot be the name of a preset: %2").arg(name, QString::fromStdString(problem)),
            QMessageBox::Warning);
        return false;
    }
    for (const std::string& existing : SettingsStore::GetPresetNames())
        if (QString::fromStdString(existing).compare(name.trimmed(), Qt::CaseInsensitive) == 0
            && !ConfirmReplacePreset(QString::fromStdString(existing)))
            return false;
    std::string error;
    if (!SettingsStore::SavePreset(name.toStdString(), CapturePanelOptions(m_batch), error)) {
        ShowMessage(tr("The preset \"%1\" could not be saved: %2").arg(name, QString::fromStdString(error)),
            QMessageBox::Warning);
        return false;
    }
    return true;
}

bool CKestrovaDlg::DeletePresetNamed(const QString& name)
{
    if (SettingsStore::DeletePreset(name.toStdString()))
        return true;
    ShowMessage(tr("The preset \"%1\" could not be deleted.").arg(name), QMessageBox::Warning);
    return false;
}

void CKestrovaDlg::FillPresetMenu(QMenu* menu)
{
    menu->clear();
    const std::vector<std::string> names = SettingsStore::GetPresetNames();
    for (const std::string& name : names)
        menu->addAction(MenuText(name), this, [this, name] { ApplyPreset(QString::fromStdString(name)); });
    if (names.empty())
        menu->addAction(tr("No presets yet"))->setEnabled(false);
    menu->addSeparator();
    menu->addAction(tr("&Save Preset..."), this, [this] {
        const QString name = AskPresetName();
        if (!name.isEmpty())
            SavePresetAs(name);
    });
    QMenu* remove = menu->addMenu(tr("&Delete Preset"));
    remove->setEnabled(!names.empty());
    for (const std::string& name : names)
        remove->addAction(MenuText(name), this, [this, name] { DeletePresetNamed(QString::fromStdString(name)); });
}

QString CKestrovaDlg::AskPresetName()
{
    bool ok = false;
    const QString name
        = QInputDialog::getText(this, tr("Save Preset - %1").arg(QString::fromUtf8(AppIdentity::DisplayName)),
            tr("Name of the preset (the CLI runs it with --preset NAME):"), QLineEdit::Normal, QString(), &ok);
    return ok ? name : QString();
}

bool CKestrovaDlg::ConfirmReplacePreset(const QString& name)
{
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(AppIdentity::DisplayName),
        tr("A preset named \"%1\" exists. Replace it?").arg(name), QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
