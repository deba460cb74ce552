// The selection view: what selecting a catalogue entry puts on view and stores for Apply.

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "app/frmPatcher.h"
#include "catalogue/catalogue.h"
#include "catalogue/definition.h"
#include "platform/code_page.h"

namespace korrin {

void frmPatcher::lstPatch_Click() {
    const QListWidgetItem* item = lstPatch->currentItem();
    if (item == nullptr) return;

    valueKind.clear();
    onBytes.clear();
    offBytes.clear();
    locationList.clear();
    definitionSelected = true;

    const std::optional<std::string> fileName =
        catalogue::FileNameFromEntry(platform::ToCodePage(item->text()));
    catalogue::DefinitionView view;
    if (fileName) {
        const std::string folder = QFile::encodeName(programFolder_).toStdString();
        view = catalogue::ReadDefinition(platform::FileSystem::Default(), folder + *fileName);
    } else {
        view.problems.push_back("its entry names no definition file");
    }
    definitionProblems = view.problems;

    if (view.description) lblDescription->setText(platform::FromCodePage(*view.description));
    if (view.hasParam) {
        valueKind = view.valueKind;
        if (view.firstOption) {
            onBytes = view.onBytes();
            offBytes = view.offBytes();
            opOnOff[0]->setChecked(true);
            opOnOff[0]->setText(platform::FromCodePage(view.firstOption->caption));
            opOnOff[1]->setText(platform::FromCodePage(view.secondOption->caption));
        }
        if (view.valueText) txtValue->setText(platform::FromCodePage(*view.valueText));
        const bool options = view.showsOptions();
        txtValue->setVisible(!options);
        opOnOff[0]->setVisible(options);
        opOnOff[1]->setVisible(options);
    }
    if (view.locationList) locationList = *view.locationList;
}

}  // namespace korrin
