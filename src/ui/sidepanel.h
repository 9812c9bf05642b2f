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

class SidePanel : public QWidget {
  Q_OBJECT
public:
  // `button` gets the id of a pressed button (103 .. 108, 125, 126), `line` a clicked move-list line.
  SidePanel(QWidget* parent, std::function<void(int)> button, std::function<void(int)> line);

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

private:
  QGroupBox* gameInfo;
  QLabel* whiteName;
  QLabel* blackName;
  std::array<QLabel*, 4> clocks;
  QLabel* material;
  QLabel* moveNumber;
  QListWidget* moveList;
  QLabel* info;
};

} // namespace kestrin
