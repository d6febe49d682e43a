"""What the program says, in Russian, and when.

Timed texts are lists of (start in seconds, phrase); a phrase that would run into the next one is
sped up to fit its slot. Latin key names are spelt out the way a Russian speaker says them.
"""

# Instruction, spoken over the instruction clip (the clip is 33 s; the last phrase is heard over
# the keyboard picture that follows it).
INSTRUCTION = (37.1, [
    (0.4, "Привет! Научимся управлять мышкой."),
    (3.6, "На экране появятся два кружка: синий и оранжевый."),
    (7.6, "Курсор мыши будет стоять на синем кружке."),
    (10.8, "Передвинь мышку так, чтобы курсор попал на оранжевый кружок."),
    (15.6, "Остановись на нём и подожди две секунды."),
    (19.2, "Прозвучит сигнал, и появятся новые кружки."),
    (22.6, "С каждым разом кружки будут всё дальше, а оранжевый кружок всё меньше."),
    (28.2, "Забыл, что делать? Нажми клавишу эф один."),
    (31.6, "Клавиша эскейп пропускает инструкцию."),
    (34.4, "Нажми пробел, чтобы продолжить."),
])

# Demonstration narration; the program acts on it at 5.59 s (two circles), 9.29 s (the cursor
# glides to the orange circle), 18.58 s (success signal) and 23.58 s (the pupil's turn).
DEMONSTRATION_CUES = (5.59, 9.29, 18.58, 23.58)
DEMONSTRATION = (31.0, [
    (0.5, "Посмотри, как это делается."),
    (2.7, "Смотри внимательно на экран."),
    (5.59, "Вот синий кружок, а вот оранжевый."),
    (9.29, "Двигаем мышку. Курсор плывёт к оранжевому кружку."),
    (13.4, "Курсор на оранжевом кружке. Ждём две секунды."),
    (18.58, "Слышишь сигнал? Получилось!"),
    (23.58, "А теперь попробуй сам!"),
    (26.0, "Наведи курсор на оранжевый кружок и подожди."),
])

# Instruction of the slowed stage, spoken over its own clip (16.6 s).
SLOWED = (16.6, [
    (0.3, "Внимание! Теперь курсор будет двигаться медленно."),
    (4.0, "Двигай мышку. Если мышка дошла до края стола,"),
    (8.4, "подними её и перенеси назад, а потом двигай снова."),
    (12.6, "Так ты доведёшь курсор до оранжевого кружка."),
])

END_OF_HELP = (5.2, [(0.3, "Когда будешь готов, нажми пробел, и упражнение начнётся.")])

# Stage announcements and praise played during the run (numbered sounds).
SHORT_PHRASES = {
    "111": "Двигай курсор влево и вправо.",
    "113": "Теперь двигай курсор вверх и вниз.",
    "110": "А теперь двигай курсор в разные стороны.",
    "112": "Молодец!",
    "106": "Хорошо!",
    "109": "Отлично!",
    "107": "Так держать!",
    "105": "Умница!",
    "104": "Здорово!",
    "108": "Правильно!",
    "114": "Замечательно!",
}

# Praise screen: the word each sound and its animation show.
PRAISE = {
    "bravo": "Браво!",
    "gotovo": "Готово!",
    "molodec": "Молодец!",
    "otlichno": "Отлично!",
    "ura": "Ура!",
}
