#pragma once
// What the progress window counts, the same in both faces: its range, step and position, and
// the whole percentage its title shows (rounded; 0 for an empty range).
namespace talvenor {

class ProgressCount {
 public:
  void SetRange(int lower, int upper, int step) {
    m_lower = lower;
    m_upper = upper;
    m_step = step;
  }
  // True when the percentage to show changed with the move.
  bool MoveTo(int position) {
    m_position = position;
    const int percent =
        m_upper > m_lower
            ? static_cast<int>(
                  static_cast<double>(position - m_lower) * 100.0 / static_cast<double>(m_upper - m_lower) + 0.5)
            : 0;
    if (percent == m_shownPercent) return false;
    m_shownPercent = percent;
    return true;
  }
  int Position() const { return m_position; }
  int NextStep() const { return m_position + m_step; }
  int Percent() const { return m_shownPercent; }
  void Restart() { m_position = 0; }

 private:
  int m_lower = 0, m_upper = 100, m_step = 1, m_position = 0, m_shownPercent = 0;
};

}  // namespace talvenor
