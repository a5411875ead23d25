-- The score card of a won Joker level, built into the top panel's card
-- window.
ReadFile('scripts/score_card_parts.lua')
MakeScoreCard('lblJokerBonus', 'score_card_joker_bonus')
