// The side panel at the right edge: players, clocks, material, move number, the move list,
// the browsing buttons, "Start/Stop", "B" and the information text.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

namespace kestrin {

class EvalGraph;

// A name that fits its column: cut with an ellipsis when it is too long, and then shown whole
// in a tooltip. text() keeps the whole name.
class ElidingLabel : public QLabel {
public:
  ElidingLabel(const QString& text, QWidget* parent);
  void SetFullText(const QString& text);
  // What the column shows now.
  QString ShownText() const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void UpdateTip();
};

class SidePanel : public QWidget {
  Q_OBJECT
public:
  // `button` gets the id of a pressed button (103 .. 108, 125, 126), `line` a clicked move-list line.
  // `graphMove` gets the move (1 the first) clicked on the evaluation graph.
  SidePanel(QWidget* parent, std::function<void(int)> button, std::function<void(int)> line,
            std::function<void(int)> graphMove = {});

  void SetLabels(const std::string& white, const std::string& black);
  // The caption above the players: "Game Info", or the table in a network game.
  void SetCaption(const QString& text);
  // White remaining, White used, Black remaining, Black used.
  void SetClocks(const std::array<std::string, 4>& texts);
  void SetInfo(const QString& text);
  void SetMoveNumber(const QString& text);
  void SetMaterial(const QString& text);
  // Mirrors the move list kept by the game record and its selected line.
  void SyncMoveList();

  QString Info() const { return info->text(); }
  EvalGraph* Graph() const { return graph; }

private:
  QGroupBox* gameInfo;
  ElidingLabel* whiteName;
  ElidingLabel* blackName;
  std::array<QLabel*, 4> clocks;
  QLabel* material;
  QLabel* moveNumber;
  QListWidget* moveList;
  EvalGraph* graph;
  QLabel* info;
};

} // namespace kestrin
