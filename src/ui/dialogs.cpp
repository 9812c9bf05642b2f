#include "ui/dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "board/types.h"
#include "game/dialogvalues.h"
#include "platform/settings.h"
#include "search/limits.h"

namespace kestrin {

namespace {

// A number field: digits only (a minus sign too where a negative number means something), so
// letters cannot be typed and the number stays within what the fields can hold.
QLineEdit* NumberField(QDialog* dialog, long long value, const char* name, bool negative) {
  auto* field = new QLineEdit(QString::number(value), dialog);
  field->setObjectName(name);
  field->setValidator(new QRegularExpressionValidator(
      QRegularExpression(negative ? "-?[0-9]{0,9}" : "[0-9]{0,9}"), field));
  return field;
}

long long Number(const QLineEdit* field) { return ParseDialogNumber(field->text().toStdString()); }

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

} // namespace

int AskPromotionPiece(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Pawn Promotion");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Upgrade to:", &dialog));
  int choice = Queen;
  const std::pair<const char*, int> pieces[4] = {{"Queen", Queen}, {"Rook", Rook}, {"Bishop", Bishop}, {"Knight", Knight}};
  for (const auto& [text, code] : pieces) {
    auto* button = new QPushButton(text, &dialog);
    button->setObjectName(text);
    const int piece = code;
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &choice, piece] {
      choice = piece;
      dialog.accept();
    });
    layout->addWidget(button);
  }
  dialog.exec();
  return choice;
}

void RunGameTimeDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Game Time");
  auto* form = new QFormLayout(&dialog);
  QLineEdit* minutes = NumberField(&dialog, searchSettings.timeMinutes, "field100", false);
  QLineEdit* seconds = NumberField(&dialog, searchSettings.timeIncrement, "field101", false);
  form->addRow("Total Minutes", minutes);
  form->addRow("Seconds/move", seconds);
  QDialogButtonBox* buttons = OkCancel(&dialog);
  form->addRow(buttons);
  // A game of no time at all would be lost at the first tick of the clock: not offered.
  auto offerable = [minutes, seconds, buttons] {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(ClampTimeControl(Number(minutes)) > 0 ||
                                                      ClampTimeControl(Number(seconds)) > 0);
  };
  QObject::connect(minutes, &QLineEdit::textChanged, &dialog, offerable);
  QObject::connect(seconds, &QLineEdit::textChanged, &dialog, offerable);
  offerable();
  if (dialog.exec() == QDialog::Accepted) {
    searchSettings.timeMinutes = ClampTimeControl(Number(minutes));
    searchSettings.timeIncrement = ClampTimeControl(Number(seconds));
  }
  settings.gameMinutes = searchSettings.timeMinutes;
  settings.secondsPerMove = searchSettings.timeIncrement;
}

bool RunSearchParamsDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Search Params");
  const SearchParamsValues shown = CurrentSearchParams();
  auto* form = new QFormLayout(&dialog);
  QLineEdit* depth = NumberField(&dialog, shown.maxPly, "field100", true);
  QLineEdit* nodes = NumberField(&dialog, shown.kiloNodes, "field105", false);
  QLineEdit* seconds = NumberField(&dialog, shown.maxSecondsPerMove, "field101", true);
  form->addRow("Maximum Ply:", depth);
  form->addRow("", new QLabel("( range 1 to 32 )", &dialog));
  form->addRow("Max KiloNodes/move:", nodes);
  form->addRow("", new QLabel("( If 0, there is no max)", &dialog));
  form->addRow("Max Seconds/move:", seconds);
  auto* note = new QLabel("( If this is 0, computer uses the time control instead)", &dialog);
  note->setWordWrap(true);
  form->addRow("", note);
  auto* wait = new QCheckBox("Wait before making a move after reaching max ply or nodes.", &dialog);
  wait->setObjectName("check110");
  wait->setChecked(shown.wait);
  form->addRow(wait);
  form->addRow(OkCancel(&dialog));
  if (dialog.exec() != QDialog::Accepted) return false;
  ApplySearchParams({Number(depth), Number(seconds), Number(nodes), wait->isChecked()});
  return true;
}

void RunPlayerInfoDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Player Information");
  auto* form = new QFormLayout(&dialog);
  auto* name = new QLineEdit(QString::fromStdString(settings.playerName), &dialog);
  name->setObjectName("field100");
  name->setMaxLength(MaxPlayerNameLength);
  QLineEdit* rating = NumberField(&dialog, settings.eloRating, "field101", false);
  form->addRow("Name:", name);
  form->addRow("ELO Rating:", rating);
  form->addRow(OkCancel(&dialog));
  if (dialog.exec() != QDialog::Accepted) return;
  settings.eloRating = ClampRating(Number(rating));
  settings.playerName = CleanPlayerName(name->text().toStdString());
}

} // namespace kestrin
