#include "ui/sidepanel.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "game/boardgeometry.h"
#include "game/movelist.h"
#include "game/windowcommands.h"
#include "ui/evalgraph.h"

namespace kestrin {

namespace {

QLabel* Text(QWidget* parent, const QString& text, const char* name) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

} // namespace

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  // The column decides the width, not the name's length.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setMinimumWidth(1);
}

void ElidingLabel::SetFullText(const QString& text) {
  setText(text);
  UpdateTip();
}

QString ElidingLabel::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidingLabel::UpdateTip() { setToolTip(ShownText() == text() ? QString() : text()); }

void ElidingLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(contentsRect(), static_cast<int>(alignment()), ShownText());
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  UpdateTip();
}

SidePanel::SidePanel(QWidget* parent, std::function<void(int)> button, std::function<void(int)> line,
                     std::function<void(int)> graphMove)
    : QWidget(parent) {
  // The desktop's own fonts at the sizes the user chose: the proportional one for names and
  // buttons, the fixed one where columns of figures and moves line up.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  setMinimumWidth(PanelWidth);

  gameInfo = new QGroupBox("Game Info", this);
  whiteName = new ElidingLabel("White", gameInfo);
  whiteName->setObjectName("whiteName");
  blackName = new ElidingLabel("Black", gameInfo);
  blackName->setObjectName("blackName");
  const char* clockNames[4] = {"whiteRemaining", "whiteUsed", "blackRemaining", "blackUsed"};
  for (int i = 0; i < 4; ++i) clocks[i] = Text(gameInfo, "0:00", clockNames[i]), clocks[i]->setFont(fixed);
  material = Text(gameInfo, "", "material");
  material->setFont(fixed);
  material->hide();
  moveNumber = Text(gameInfo, "", "moveNumber");
  moveList = new QListWidget(gameInfo);
  moveList->setObjectName("moveList");
  moveList->setFont(fixed);
  moveList->setFocusPolicy(Qt::NoFocus);
  connect(moveList, &QListWidget::itemClicked, this, [this, line](QListWidgetItem* item) { line(moveList->row(item)); });

  auto* grid = new QGridLayout;
  grid->addWidget(whiteName, 0, 0);
  grid->addWidget(blackName, 0, 1);
  grid->addWidget(clocks[0], 1, 0);
  grid->addWidget(clocks[2], 1, 1);
  grid->addWidget(clocks[1], 2, 0);
  grid->addWidget(clocks[3], 2, 1);

  auto* browse = new QHBoxLayout;
  browse->setSpacing(2);
  const std::pair<const char*, int> browsing[6] = {{"<|", 103}, {"<-", 105}, {"<", 125},
                                                    {">", 126},  {"->", 106}, {"|>", 104}};
  auto makeButton = [&](const char* text, int id) {
    auto* pushButton = new QPushButton(text, gameInfo);
    pushButton->setObjectName(QString("button%1").arg(id));
    pushButton->setFocusPolicy(Qt::NoFocus);
    pushButton->setMinimumWidth(10);
    connect(pushButton, &QPushButton::clicked, this, [button, id] { button(id); });
    return pushButton;
  };
  for (const auto& [text, id] : browsing) browse->addWidget(makeButton(text, id));
  auto* control = new QHBoxLayout;
  control->addWidget(makeButton("Start/Stop", 107), 3);
  control->addWidget(makeButton("B", 108), 1);

  auto* upper = new QVBoxLayout(gameInfo);
  upper->addLayout(grid);
  upper->addWidget(material);
  upper->addWidget(moveNumber);
  upper->addWidget(moveList, 1);
  graph = new EvalGraph(gameInfo, [graphMove](int move) {
    if (graphMove) graphMove(move);
  });
  upper->addWidget(graph);
  upper->addLayout(browse);
  upper->addLayout(control);

  auto* infoBox = new QGroupBox("Info", this);
  info = Text(infoBox, "The Game Begins...", "info");
  info->setWordWrap(true);
  info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  info->setMinimumHeight(QFontMetrics(font()).lineSpacing() * 9);
  info->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* lower = new QVBoxLayout(infoBox);
  lower->addWidget(info);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->addWidget(gameInfo, 1);
  column->addWidget(infoBox);
}

void SidePanel::SetLabels(const std::string& white, const std::string& black) {
  whiteName->SetFullText(QString::fromStdString(white));
  blackName->SetFullText(QString::fromStdString(black));
}

void SidePanel::SetCaption(const QString& text) { gameInfo->setTitle(text); }

void SidePanel::SetClocks(const std::array<std::string, 4>& texts) {
  for (int i = 0; i < 4; ++i) clocks[i]->setText(QString::fromStdString(texts[i]));
}

void SidePanel::SetInfo(const QString& text) { info->setText(text); }
void SidePanel::SetMoveNumber(const QString& text) { moveNumber->setText(text); }
void SidePanel::SetMaterial(const QString& text) {
  material->setText(text);
  material->setVisible(!text.isEmpty());
}

void SidePanel::SyncMoveList() {
  const MoveListView view = CurrentMoveList(viewOptions.shortNotation != 0);
  const std::vector<std::string>& lines = view.lines;
  const int count = static_cast<int>(lines.size());
  while (moveList->count() > count) delete moveList->takeItem(moveList->count() - 1);
  for (int i = 0; i < count; ++i) {
    const QString text = QString::fromStdString(lines[i]);
    if (i < moveList->count()) {
      if (moveList->item(i)->text() != text) moveList->item(i)->setText(text);
    } else {
      moveList->addItem(text);
    }
  }
  const int selected = view.selected;
  moveList->setCurrentRow(selected < count ? selected : -1);
  if (selected >= 0 && selected < count) moveList->scrollToItem(moveList->item(selected));
}

} // namespace kestrin
