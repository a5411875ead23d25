-- The score card of a won level, built into the top panel's card window.
ReadFile('scripts/score_card_parts.lua')
MakeScoreCard('lblBestCombo', 'score_card_best_combo')
