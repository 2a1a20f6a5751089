<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>AppSettingsPage</name>
    <message>
        <source>Application settings</source>
        <translation>Настройки программы</translation>
    </message>
    <message>
        <source>Application version: </source>
        <translation>Версия программы: </translation>
    </message>
</context>
<context>
    <name>BinaryDelegate</name>
    <message>
        <source>Run %1</source>
        <translation>Выполнить %1</translation>
    </message>
</context>
<context>
    <name>CommandsPage</name>
    <message>
        <source>Commands</source>
        <translation>Команды</translation>
    </message>
</context>
<context>
    <name>CompareDialog</name>
    <message>
        <source>Compare with the file</source>
        <translation>Сравнение с файлом</translation>
    </message>
    <message>
        <source>%1 to write, %2 refused, %3 equal</source>
        <translation>к записи: %1, отклонено: %2, совпадает: %3</translation>
    </message>
    <message>
        <source>Show all</source>
        <translation>Показать все</translation>
    </message>
    <message>
        <source>Write %1</source>
        <translation>Записать %1</translation>
    </message>
    <message>
        <source>device: %1   file: %2</source>
        <translation>устройство: %1   файл: %2</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>ConfigComparison</name>
    <message>
        <source>The file comes from another model (%1, this device is %2): its values may mean something else here.</source>
        <translation>Файл сделан для другой модели (%1, это устройство %2): его значения здесь могут означать другое.</translation>
    </message>
    <message>
        <source>The file comes from firmware %1, this device runs %2.</source>
        <translation>Файл сделан с прошивкой %1, на этом устройстве %2.</translation>
    </message>
    <message>
        <source>wrong kind: the document has %1, the device %2</source>
        <translation>неверный вид: в документе %1, на устройстве %2</translation>
    </message>
    <message>
        <source>wrong kind: the document has data type %1, the device %2</source>
        <translation>неверный вид: в документе тип данных %1, на устройстве %2</translation>
    </message>
    <message>
        <source>equal</source>
        <translation>совпадает</translation>
    </message>
    <message>
        <source>differs</source>
        <translation>отличается</translation>
    </message>
    <message>
        <source>written</source>
        <translation>записано</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>ошибка</translation>
    </message>
</context>
<context>
    <name>ConfigDocument</name>
    <message>
        <source>line %1, column %2</source>
        <translation>строка %1, столбец %2</translation>
    </message>
    <message>
        <source>cannot read %1: it is not a file</source>
        <translation>не удаётся прочитать %1: это не файл</translation>
    </message>
    <message>
        <source>%1 has %2 bytes: a configuration document has at most %3</source>
        <translation>%1 имеет размер %2 байт: в документе конфигурации не больше %3</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>%1 bytes: a configuration document has at most %2</source>
        <translation>%1 байт: в документе конфигурации не больше %2</translation>
    </message>
    <message>
        <source>not a JSON document (%1 at %2)</source>
        <translation>не документ JSON (%1, %2)</translation>
    </message>
    <message>
        <source>not a vk-config document (no &quot;format&quot;: &quot;vk-config&quot;)</source>
        <translation>не документ vk-config (нет &quot;format&quot;: &quot;vk-config&quot;)</translation>
    </message>
    <message>
        <source>document version %1 is not %2</source>
        <translation>версия документа %1, а не %2</translation>
    </message>
    <message>
        <source>&quot;device&quot; is not an object</source>
        <translation>&quot;device&quot; не объект</translation>
    </message>
    <message>
        <source>the document has no &quot;elements&quot; list</source>
        <translation>в документе нет списка &quot;elements&quot;</translation>
    </message>
    <message>
        <source>the document lists %1 elements: a device has at most %2</source>
        <translation>в документе %1 элементов: у устройства их не больше %2</translation>
    </message>
    <message>
        <source>element %1 of the document has no id from 0 to 65535</source>
        <translation>у элемента %1 документа нет id от 0 до 65535</translation>
    </message>
    <message>
        <source>element %1 of the document (id %2): &quot;%3&quot; is not a text</source>
        <translation>элемент %1 документа (id %2): &quot;%3&quot; не текст</translation>
    </message>
    <message>
        <source>element id %1 is given twice (elements %2 and %3 of the document)</source>
        <translation>id элемента %1 указан дважды (элементы %2 и %3 документа)</translation>
    </message>
</context>
<context>
    <name>DebugPage</name>
    <message>
        <source>Debug</source>
        <translation>Отладка</translation>
    </message>
    <message>
        <source>Auto scroll to the end</source>
        <translation>Прокручивать к концу</translation>
    </message>
    <message>
        <source>Copy lines</source>
        <translation>Копировать строки</translation>
    </message>
    <message>
        <source>Copy all</source>
        <translation>Копировать всё</translation>
    </message>
    <message>
        <source>Make state copy</source>
        <translation>Сделать копию состояния</translation>
    </message>
    <message>
        <source>Clear debug output</source>
        <translation>Очистить вывод отладки</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Найти</translation>
    </message>
    <message>
        <source>Find in the console</source>
        <translation>Поиск в консоли</translation>
    </message>
    <message>
        <source>no match</source>
        <translation>нет совпадений</translation>
    </message>
    <message>
        <source>found: %1</source>
        <translation>найдено: %1</translation>
    </message>
    <message>
        <source>line %1, found: %2</source>
        <translation>строка %1, найдено: %2</translation>
    </message>
    <message>
        <source>Previous match</source>
        <translation>Предыдущее совпадение</translation>
    </message>
    <message>
        <source>Next match</source>
        <translation>Следующее совпадение</translation>
    </message>
    <message>
        <source>Earlier lines dropped: %1</source>
        <translation>Удалено ранних строк: %1</translation>
    </message>
    <message>
        <source>Save log…</source>
        <translation>Сохранить журнал…</translation>
    </message>
    <message>
        <source>Update firmware</source>
        <translation>Обновить прошивку</translation>
    </message>
    <message>
        <source>Please choose a file</source>
        <translation>Выберите файл</translation>
    </message>
    <message>
        <source>BIN Files (*.bin)</source>
        <translation>Файлы BIN (*.bin)</translation>
    </message>
    <message>
        <source>Please choose a file name to save</source>
        <translation>Выберите имя файла для сохранения</translation>
    </message>
</context>
<context>
    <name>DeviceFilesDialog</name>
    <message>
        <source>Device files</source>
        <translation>Файлы устройства</translation>
    </message>
    <message>
        <source>Read file</source>
        <translation>Прочитать файл</translation>
    </message>
    <message>
        <source>Write file</source>
        <translation>Записать файл</translation>
    </message>
    <message>
        <source>Clear file</source>
        <translation>Очистить файл</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>DeviceHistory</name>
    <message>
        <source>cannot create the history folder %1</source>
        <translation>не удаётся создать папку истории %1</translation>
    </message>
    <message>
        <source>cannot open the history %1: %2</source>
        <translation>не удаётся открыть историю %1: %2</translation>
    </message>
    <message>
        <source>cannot write the history %1: %2</source>
        <translation>не удаётся записать историю %1: %2</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестно</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>успешно</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>ошибка</translation>
    </message>
    <message>
        <source>not read back</source>
        <translation>не прочитано обратно</translation>
    </message>
    <message>
        <source>read back %1</source>
        <translation>прочитано обратно: %1</translation>
    </message>
</context>
<context>
    <name>DialogFooter</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>ElementValue</name>
    <message>
        <source>%1 is not a number</source>
        <translation>%1 не число</translation>
    </message>
    <message>
        <source>%1 is finer than the element&apos;s step</source>
        <translation>%1 точнее шага элемента</translation>
    </message>
    <message>
        <source>%1 is too large</source>
        <translation>%1 слишком велико</translation>
    </message>
    <message>
        <source>%1 is not a bit field (binary digits, or 0x and hexadecimal digits)</source>
        <translation>%1 не битовое поле (двоичные цифры или 0x и шестнадцатеричные цифры)</translation>
    </message>
    <message>
        <source>%1 has more than 32 bits</source>
        <translation>%1 длиннее 32 бит</translation>
    </message>
    <message>
        <source>only root may edit it</source>
        <translation>изменять может только root</translation>
    </message>
    <message>
        <source>it is read-only</source>
        <translation>только для чтения</translation>
    </message>
    <message>
        <source>has no value</source>
        <translation>не имеет значения</translation>
    </message>
    <message>
        <source>%1 is not one of its entries (%2)</source>
        <translation>%1 не входит в список значений (%2)</translation>
    </message>
    <message>
        <source>%1 is not a date and time (%2)</source>
        <translation>%1 не дата и время (%2)</translation>
    </message>
    <message>
        <source>%1 is after 2106</source>
        <translation>%1 позже 2106 года</translation>
    </message>
    <message>
        <source>%1 is not hexadecimal bytes</source>
        <translation>%1 не шестнадцатеричные байты</translation>
    </message>
    <message>
        <source>has a data type that cannot be written</source>
        <translation>имеет тип данных, который нельзя записать</translation>
    </message>
    <message>
        <source>is a %1, not a setting or personalization value</source>
        <translation>это %1, а не настройка или параметр персонализации</translation>
    </message>
    <message>
        <source>is not editable with %1 access: %2</source>
        <translation>не изменяется с доступом %1: %2</translation>
    </message>
    <message>
        <source>is a date and time, which the configurator does not write</source>
        <translation>это дата и время, их конфигуратор не записывает</translation>
    </message>
    <message>
        <source>%1 is out of range %2 ... %3</source>
        <translation>%1 вне диапазона %2 ... %3</translation>
    </message>
    <message>
        <source>entry index %1 is outside its %2 entries</source>
        <translation>номер пункта %1 вне его %2 пунктов</translation>
    </message>
    <message>
        <source>entry %1 %2 is locked on the device (it begins with &quot;#&quot;)</source>
        <translation>пункт %1 %2 закрыт на устройстве (начинается с &quot;#&quot;)</translation>
    </message>
    <message>
        <source>is too long: %1 bytes of UTF-8, room for %2</source>
        <translation>слишком длинный: %1 байт UTF-8, помещается %2</translation>
    </message>
    <message>
        <source>%1 does not match its pattern %2</source>
        <translation>%1 не соответствует шаблону %2</translation>
    </message>
    <message>
        <source>is too long: %1 bytes, room for %2</source>
        <translation>слишком длинный: %1 байт, помещается %2</translation>
    </message>
    <message>
        <source>has %1 bytes, its size is %2</source>
        <translation>имеет %1 байт, а его размер %2</translation>
    </message>
    <message>
        <source>element %1: not in the device&apos;s profile</source>
        <translation>элемент %1: нет в профиле устройства</translation>
    </message>
    <message>
        <source>wrong kind of value for %1: %2 expected</source>
        <translation>неверный вид значения для %1: ожидается %2</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>целое число</translation>
    </message>
    <message>
        <source>an entry index or entry text</source>
        <translation>номер или текст пункта</translation>
    </message>
    <message>
        <source>a text</source>
        <translation>текст</translation>
    </message>
    <message>
        <source>hexadecimal text</source>
        <translation>шестнадцатеричный текст</translation>
    </message>
    <message>
        <source>  integers     divided by the multiplier: 18 for 180 with multiplier 10, 12.05; typed the same,
               no finer than one step
  enums        the entry&apos;s text (a leading # taken off), or its index when typed
  binary       1 or 0 (on, off, true, false when typed)
  bit fields   binary digits in groups of four: 0000 0001 0010 (0b... or 0x... when typed)
  date-times   local time d-M-yyyy h:m:s (5-3-2024 9:7:0), also yyyy-MM-dd HH:mm:ss when
               typed; never written
  texts        as they are
  hex arrays   upper-case hexadecimal of every byte: 0A1B
</source>
        <translation>  целые         делённые на множитель: 18 для 180 при множителе 10, 12.05; вводятся так же,
                не точнее одного шага
  перечисления  текст пункта (без ведущего #) или его номер при вводе
  двоичные      1 или 0 (on, off, true, false при вводе)
  битовые поля  двоичные цифры группами по четыре: 0000 0001 0010 (0b... или 0x... при вводе)
  дата и время  местное время d-M-yyyy h:m:s (5-3-2024 9:7:0), при вводе также
                yyyy-MM-dd HH:mm:ss; не записываются
  тексты        как есть
  hex-массивы   шестнадцатеричные цифры каждого байта заглавными: 0A1B
</translation>
    </message>
    <message>
        <source>personalization</source>
        <translation>персонализация</translation>
    </message>
    <message>
        <source>setting</source>
        <translation>настройка</translation>
    </message>
    <message>
        <source>state</source>
        <translation>состояние</translation>
    </message>
    <message>
        <source>command</source>
        <translation>команда</translation>
    </message>
    <message>
        <source>app setting</source>
        <translation>настройка программы</translation>
    </message>
    <message>
        <source>app command</source>
        <translation>команда программы</translation>
    </message>
</context>
<context>
    <name>EnumDelegate</name>
    <message>
        <source>Run %1</source>
        <translation>Выполнить %1</translation>
    </message>
</context>
<context>
    <name>ErrorDialog</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>FirmwareFileConfirmDialog</name>
    <message>
        <source>Selected file [%1] version %2</source>
        <translation>Выбран файл [%1] версии %2</translation>
    </message>
    <message>
        <source>Selected file [%1]</source>
        <translation>Выбран файл [%1]</translation>
    </message>
    <message>
        <source>%1. Start to firmware update?</source>
        <translation>%1. Начать обновление прошивки?</translation>
    </message>
    <message>
        <source>Start firmware update?</source>
        <translation>Обновить прошивку?</translation>
    </message>
</context>
<context>
    <name>GetSaveBar</name>
    <message>
        <source>Get</source>
        <translation>Прочитать</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Save to file…</source>
        <translation>Сохранить в файл…</translation>
    </message>
    <message>
        <source>Load from file…</source>
        <translation>Загрузить из файла…</translation>
    </message>
    <message>
        <source>Save the device&apos;s configuration</source>
        <translation>Сохранить конфигурацию устройства</translation>
    </message>
    <message>
        <source>Configuration documents (*.json)</source>
        <translation>Документы конфигурации (*.json)</translation>
    </message>
    <message>
        <source>Load a configuration to compare</source>
        <translation>Загрузить конфигурацию для сравнения</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>History of the device</source>
        <translation>История устройства</translation>
    </message>
    <message>
        <source>Nothing was written to this device from here.</source>
        <translation>Отсюда в это устройство ещё ничего не записывалось.</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>Экспорт CSV…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Export the history</source>
        <translation>Экспорт истории</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
</context>
<context>
    <name>HomePage</name>
    <message>
        <source>Vorlex IoT</source>
        <translation>Vorlex IoT</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Отключить</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Подключить</translation>
    </message>
</context>
<context>
    <name>LabelDelegate</name>
    <message>
        <source>Run %1</source>
        <translation>Выполнить %1</translation>
    </message>
</context>
<context>
    <name>LeftMenu</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>Commands</source>
        <translation>Команды</translation>
    </message>
    <message>
        <source>Personalization</source>
        <translation>Персонализация</translation>
    </message>
    <message>
        <source>Device files</source>
        <translation>Файлы устройства</translation>
    </message>
    <message>
        <source>History</source>
        <translation>История</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Отладка</translation>
    </message>
    <message>
        <source>Application settings</source>
        <translation>Настройки программы</translation>
    </message>
    <message>
        <source>Font size</source>
        <translation>Размер шрифта</translation>
    </message>
</context>
<context>
    <name>ListDialog</name>
    <message>
        <source>Filter by name or serial number</source>
        <translation>Фильтр по имени или серийному номеру</translation>
    </message>
    <message>
        <source>Filter devices by name or serial number</source>
        <translation>Фильтровать устройства по имени или серийному номеру</translation>
    </message>
    <message>
        <source>No device matches the filter</source>
        <translation>Нет устройств, подходящих под фильтр</translation>
    </message>
    <message>
        <source>Searching for devices…</source>
        <translation>Поиск устройств…</translation>
    </message>
    <message>
        <source>%1 dBm</source>
        <translation>%1 дБм</translation>
    </message>
    <message>
        <source>last connected</source>
        <translation>подключалось последним</translation>
    </message>
    <message>
        <source>not heard recently</source>
        <translation>давно не слышно</translation>
    </message>
</context>
<context>
    <name>NumberDelegate</name>
    <message>
        <source>Run %1</source>
        <translation>Выполнить %1</translation>
    </message>
</context>
<context>
    <name>PasswordDialog</name>
    <message>
        <source>Authorization</source>
        <translation>Авторизация</translation>
    </message>
    <message>
        <source>Please enter the password:</source>
        <translation>Введите пароль:</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
</context>
<context>
    <name>PersonalizationPage</name>
    <message>
        <source>Personalization</source>
        <translation>Персонализация</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Invalid connection</source>
        <translation>Неверное подключение</translation>
    </message>
    <message>
        <source>Device already exist</source>
        <translation>Устройство уже существует</translation>
    </message>
    <message>
        <source>Internal error</source>
        <translation>Внутренняя ошибка</translation>
    </message>
    <message>
        <source>Invalid device info</source>
        <translation>Неверные сведения об устройстве</translation>
    </message>
    <message>
        <source>Invalid interface info</source>
        <translation>Неверные сведения об интерфейсе</translation>
    </message>
    <message>
        <source>No connection to device</source>
        <translation>Нет связи с устройством</translation>
    </message>
    <message>
        <source>Invalid device task</source>
        <translation>Неверная задача устройства</translation>
    </message>
    <message>
        <source>Transferring file...</source>
        <translation>Передача файла...</translation>
    </message>
    <message>
        <source>Reading file...</source>
        <translation>Чтение файла...</translation>
    </message>
    <message>
        <source>BLE connection error</source>
        <translation>Ошибка подключения BLE</translation>
    </message>
    <message>
        <source>The Bluetooth adaptor is powered off, power it on before doing discovery</source>
        <translation>Адаптер Bluetooth выключен, включите его перед поиском</translation>
    </message>
    <message>
        <source>Invalid Bluetooth discovery</source>
        <translation>Ошибка поиска Bluetooth</translation>
    </message>
    <message>
        <source>Invalid Bluetooth device discovery info</source>
        <translation>Неверные сведения об обнаруженном устройстве Bluetooth</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>NFC not enabled</source>
        <translation>NFC не включён</translation>
    </message>
    <message>
        <source>Interface already exist</source>
        <translation>Интерфейс уже существует</translation>
    </message>
    <message>
        <source>Invalid serial port configuration</source>
        <translation>Неверная настройка последовательного порта</translation>
    </message>
    <message>
        <source>Device is not supported</source>
        <translation>Устройство не поддерживается</translation>
    </message>
    <message>
        <source>Error scanning services</source>
        <translation>Ошибка поиска служб</translation>
    </message>
    <message>
        <source>COM connection error</source>
        <translation>Ошибка подключения COM</translation>
    </message>
    <message>
        <source>Unable to find interface</source>
        <translation>Интерфейс не найден</translation>
    </message>
    <message>
        <source>Unable to open interface</source>
        <translation>Не удалось открыть интерфейс</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Неизвестная ошибка</translation>
    </message>
</context>
<context>
    <name>SettingsPage</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
</context>
<context>
    <name>SignalBars</name>
    <message>
        <source>Signal strength: %1 of %2 bars</source>
        <translation>Уровень сигнала: %1 из %2 делений</translation>
    </message>
</context>
<context>
    <name>StatePage</name>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
</context>
<context>
    <name>StringDelegate</name>
    <message>
        <source>Hide %1</source>
        <translation>Скрыть %1</translation>
    </message>
    <message>
        <source>Show %1</source>
        <translation>Показать %1</translation>
    </message>
    <message>
        <source>Run %1</source>
        <translation>Выполнить %1</translation>
    </message>
</context>
<context>
    <name>UnixtimeDelegate</name>
    <message>
        <source>Run %1</source>
        <translation>Выполнить %1</translation>
    </message>
</context>
<context>
    <name>UpdateFirmwareDialog</name>
    <message>
        <source>Update firmware</source>
        <translation>Обновить прошивку</translation>
    </message>
    <message>
        <source>Load %1 into the device</source>
        <translation>Загрузить %1 в устройство</translation>
    </message>
    <message>
        <source>Delete %1</source>
        <translation>Удалить %1</translation>
    </message>
    <message>
        <source>Local files</source>
        <translation>Локальные</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Сервер</translation>
    </message>
    <message>
        <source>Search:</source>
        <translation>Поиск:</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Add a firmware file</source>
        <translation>Добавить файл прошивки</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Скачать</translation>
    </message>
    <message>
        <source>Load into the device</source>
        <translation>Загрузить в устройство</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Please choose a firmware file</source>
        <translation>Выберите файл прошивки</translation>
    </message>
    <message>
        <source>BIN Files (*.bin)</source>
        <translation>Файлы BIN (*.bin)</translation>
    </message>
</context>
<context>
    <name>configurator::AppSettings</name>
    <message>
        <source>System</source>
        <translation>Как в системе</translation>
    </message>
</context>
<context>
    <name>configurator::GuiQmlHandler</name>
    <message>
        <source>Vorlex IoT</source>
        <translation>Vorlex IoT</translation>
    </message>
    <message>
        <source>Interface language</source>
        <translation>Язык интерфейса</translation>
    </message>
    <message>
        <source>The interface language changes when the program is started again.</source>
        <translation>Язык интерфейса сменится при следующем запуске программы.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>Write functional for device&apos;s file is not supported yet - contact your partner</source>
        <translation>Запись файлов устройства пока не поддерживается - обратитесь к своему партнёру</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Подключить</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Нет подключения</translation>
    </message>
    <message>
        <source>Please wait</source>
        <translation>Подождите</translation>
    </message>
    <message>
        <source>No device is connected</source>
        <translation>Устройство не подключено</translation>
    </message>
    <message>
        <source>Unable to save the file &lt;%1&gt;: %2</source>
        <translation>Не удалось сохранить файл &lt;%1&gt;: %2</translation>
    </message>
    <message>
        <source>The file cannot be loaded: %1</source>
        <translation>Файл не удаётся загрузить: %1</translation>
    </message>
    <message>
        <source>No row to write is checked</source>
        <translation>Не отмечено ни одной строки для записи</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>not written</source>
        <translation>не записано</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>&lt;font&gt;%1 - %2.%3&lt;br&gt;Serial: %4&lt;/font&gt;%5</source>
        <translation>&lt;font&gt;%1 - %2.%3&lt;br&gt;Серийный №: %4&lt;/font&gt;%5</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Отключить</translation>
    </message>
    <message>
        <source>Internal error! Invalid task %1 arguments</source>
        <translation>Внутренняя ошибка! Неверные аргументы задачи %1</translation>
    </message>
    <message>
        <source>Device is busy - wait or restart device</source>
        <translation>Устройство занято - подождите или перезапустите устройство</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Информация</translation>
    </message>
    <message>
        <source>Access denided</source>
        <translation>Доступ запрещён</translation>
    </message>
    <message>
        <source>Load to bootloader</source>
        <translation>Перейти в загрузчик</translation>
    </message>
    <message>
        <source>Warning! Bluetooth interface disconnected
</source>
        <translation>Внимание! Интерфейс Bluetooth отключён
</translation>
    </message>
    <message>
        <source>Problem with ProFile element</source>
        <translation>Ошибка элемента профиля</translation>
    </message>
    <message>
        <source>Element: id[%1], parentId[%2], nameEn[%3] - can not be represented!</source>
        <translation>Элемент: id[%1], parentId[%2], nameEn[%3] - не может быть показан!</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Информация</translation>
    </message>
    <message>
        <source>Firmware update finished successfully.
Wait several seconds and may connect to updated device</source>
        <translation>Обновление прошивки успешно завершено.
Подождите несколько секунд, затем можно подключиться к обновлённому устройству</translation>
    </message>
    <message>
        <source>Command [%1] execution error</source>
        <translation>Ошибка выполнения команды [%1]</translation>
    </message>
    <message>
        <source>Unable to create dirrectory&lt;</source>
        <translation>Не удалось создать папку&lt;</translation>
    </message>
    <message>
        <source>Unable to save the file: no access to &lt;%1&gt;</source>
        <translation>Не удалось сохранить файл: нет доступа к &lt;%1&gt;</translation>
    </message>
    <message>
        <source>Received unsupported firmware file &lt;%1&gt;</source>
        <translation>Получен неподдерживаемый файл прошивки &lt;%1&gt;</translation>
    </message>
    <message>
        <source>Firmware file (%1) received. Choose it later for firmware update</source>
        <translation>Файл прошивки (%1) получен. Выберите его позже для обновления прошивки</translation>
    </message>
    <message>
        <source>The firmware file &lt;%1&gt; does not exist</source>
        <translation>Файл прошивки &lt;%1&gt; не существует</translation>
    </message>
    <message>
        <source>Unable to open selected file with firmware - permission error.
Try to copy this file to common folder and repeat</source>
        <translation>Не удалось открыть выбранный файл прошивки - нет доступа.
Скопируйте файл в общую папку и повторите</translation>
    </message>
    <message>
        <source>The selected firmware file &lt;%1&gt; is empty</source>
        <translation>Выбранный файл прошивки &lt;%1&gt; пуст</translation>
    </message>
    <message>
        <source>The selected firmware file &lt;%1&gt; has %2 bytes: no device takes an image larger than %3 bytes</source>
        <translation>Выбранный файл прошивки &lt;%1&gt; имеет размер %2 байт: ни одно устройство не принимает образ больше %3 байт</translation>
    </message>
    <message>
        <source>Unable to read the selected firmware file &lt;%1&gt;</source>
        <translation>Не удалось прочитать выбранный файл прошивки &lt;%1&gt;</translation>
    </message>
    <message>
        <source>Unable to write the state copy &lt;%1&gt;</source>
        <translation>Не удалось записать копию состояния &lt;%1&gt;</translation>
    </message>
    <message>
        <source>Unexpected task [%1] for BLE discovery</source>
        <translation>Неожиданная задача [%1] для поиска BLE</translation>
    </message>
    <message>
        <source>Internal error</source>
        <translation>Внутренняя ошибка</translation>
    </message>
    <message>
        <source>Device initialization failed! Received files[%1] but expected[%2]</source>
        <translation>Ошибка инициализации устройства! Получены файлы[%1], ожидались[%2]</translation>
    </message>
    <message>
        <source>Unable to construct data file [%1]</source>
        <translation>Не удалось составить файл данных [%1]</translation>
    </message>
    <message>
        <source>Save file error</source>
        <translation>Ошибка записи файла</translation>
    </message>
    <message>
        <source>Invalid attempt to load to Bootloader! Try next one</source>
        <translation>Не удалось перейти в загрузчик! Попробуйте ещё раз</translation>
    </message>
    <message>
        <source>Invalid attempt to load to Bootloader to update Firmware! Try next attempt</source>
        <translation>Не удалось перейти в загрузчик для обновления прошивки! Попробуйте ещё раз</translation>
    </message>
    <message>
        <source>Password request</source>
        <translation>Запрос пароля</translation>
    </message>
    <message>
        <source>Timeout for password requesting</source>
        <translation>Истекло время ввода пароля</translation>
    </message>
    <message>
        <source>Connecting to device</source>
        <translation>Подключение к устройству</translation>
    </message>
    <message>
        <source>Error while connecting to device</source>
        <translation>Ошибка подключения к устройству</translation>
    </message>
    <message>
        <source>Timeout for device connection! Repeat connection</source>
        <translation>Истекло время подключения к устройству! Повторите подключение</translation>
    </message>
    <message>
        <source>Time synchronization...</source>
        <translation>Синхронизация времени...</translation>
    </message>
    <message>
        <source>Error while time synchronization</source>
        <translation>Ошибка синхронизации времени</translation>
    </message>
    <message>
        <source>Timeout while time synchronization</source>
        <translation>Истекло время синхронизации времени</translation>
    </message>
    <message>
        <source>Get general info about device</source>
        <translation>Получение общих сведений об устройстве</translation>
    </message>
    <message>
        <source>Error while collecting general info about device</source>
        <translation>Ошибка получения общих сведений об устройстве</translation>
    </message>
    <message>
        <source>Timeout for get general info about device</source>
        <translation>Истекло время получения общих сведений об устройстве</translation>
    </message>
    <message>
        <source>Get info about device&apos;s files</source>
        <translation>Получение сведений о файлах устройства</translation>
    </message>
    <message>
        <source>Error while get info about device&apos;s files</source>
        <translation>Ошибка получения сведений о файлах устройства</translation>
    </message>
    <message>
        <source>Timeout for get info about device&apos;s files</source>
        <translation>Истекло время получения сведений о файлах устройства</translation>
    </message>
    <message>
        <source>Get device&apos;s parameters</source>
        <translation>Получение параметров устройства</translation>
    </message>
    <message>
        <source>Error while get device&apos;s parameters</source>
        <translation>Ошибка получения параметров устройства</translation>
    </message>
    <message>
        <source>Timeout while get device&apos;s parameters</source>
        <translation>Истекло время получения параметров устройства</translation>
    </message>
    <message>
        <source>Get device&apos;s settings</source>
        <translation>Получение настроек устройства</translation>
    </message>
    <message>
        <source>Error while get device&apos;s settings</source>
        <translation>Ошибка получения настроек устройства</translation>
    </message>
    <message>
        <source>Timeout while get device&apos;s settings</source>
        <translation>Истекло время получения настроек устройства</translation>
    </message>
    <message>
        <source>Get device&apos;s personalization</source>
        <translation>Получение персонализации устройства</translation>
    </message>
    <message>
        <source>Error while get device&apos;s personalization</source>
        <translation>Ошибка получения персонализации устройства</translation>
    </message>
    <message>
        <source>Timeout while get device&apos;s personalization</source>
        <translation>Истекло время получения персонализации устройства</translation>
    </message>
    <message>
        <source>Get device&apos;s state information</source>
        <translation>Получение состояния устройства</translation>
    </message>
    <message>
        <source>Error while get device&apos;s state information</source>
        <translation>Ошибка получения состояния устройства</translation>
    </message>
    <message>
        <source>Timeout while get device&apos;s state information</source>
        <translation>Истекло время получения состояния устройства</translation>
    </message>
    <message>
        <source>Check for finish device initialization</source>
        <translation>Проверка завершения инициализации устройства</translation>
    </message>
    <message>
        <source>Get debug...</source>
        <translation>Получение отладки...</translation>
    </message>
    <message>
        <source>Save settings...</source>
        <translation>Запись настроек...</translation>
    </message>
    <message>
        <source>Error while save settings</source>
        <translation>Ошибка записи настроек</translation>
    </message>
    <message>
        <source>Timeout while save settings</source>
        <translation>Истекло время записи настроек</translation>
    </message>
    <message>
        <source>Save personalization parameters...</source>
        <translation>Запись параметров персонализации...</translation>
    </message>
    <message>
        <source>Error while save personalization parameters</source>
        <translation>Ошибка записи параметров персонализации</translation>
    </message>
    <message>
        <source>Timeout while save personalization parameters</source>
        <translation>Истекло время записи параметров персонализации</translation>
    </message>
    <message>
        <source>Command execution...</source>
        <translation>Выполнение команды...</translation>
    </message>
    <message>
        <source>Error while command execution</source>
        <translation>Ошибка выполнения команды</translation>
    </message>
    <message>
        <source>Timeout for command execution</source>
        <translation>Истекло время выполнения команды</translation>
    </message>
    <message>
        <source>Disconnecting from device...</source>
        <translation>Отключение от устройства...</translation>
    </message>
    <message>
        <source>Error while disconnecting from device</source>
        <translation>Ошибка отключения от устройства</translation>
    </message>
    <message>
        <source>Timeout for disconnecting from device</source>
        <translation>Истекло время отключения от устройства</translation>
    </message>
    <message>
        <source>Wait to start Bootloader...</source>
        <translation>Ожидание запуска загрузчика...</translation>
    </message>
    <message>
        <source>Autonnect to device via BLE...</source>
        <translation>Автоподключение к устройству по BLE...</translation>
    </message>
    <message>
        <source>Error while autoconnect to device via BLE</source>
        <translation>Ошибка автоподключения к устройству по BLE</translation>
    </message>
    <message>
        <source>Timeout for autoconnect to device via BLE</source>
        <translation>Истекло время автоподключения к устройству по BLE</translation>
    </message>
    <message>
        <source>Check for connected to Bootloader...</source>
        <translation>Проверка подключения к загрузчику...</translation>
    </message>
    <message>
        <source>Error while check for connected to Bootloader</source>
        <translation>Ошибка проверки подключения к загрузчику</translation>
    </message>
    <message>
        <source>Timeout while checking for connected to Bootloader</source>
        <translation>Истекло время проверки подключения к загрузчику</translation>
    </message>
    <message>
        <source>Make state copy...</source>
        <translation>Создание копии состояния...</translation>
    </message>
    <message>
        <source>Error while make state copy</source>
        <translation>Ошибка создания копии состояния</translation>
    </message>
    <message>
        <source>Timeout for prepare state copy</source>
        <translation>Истекло время подготовки копии состояния</translation>
    </message>
    <message>
        <source>Upload file with firmware...</source>
        <translation>Передача файла прошивки...</translation>
    </message>
    <message>
        <source>Error while upload file with firmware</source>
        <translation>Ошибка передачи файла прошивки</translation>
    </message>
    <message>
        <source>Timeout while upload file with firmware</source>
        <translation>Истекло время передачи файла прошивки</translation>
    </message>
    <message>
        <source>Download file from device...</source>
        <translation>Загрузка файла с устройства...</translation>
    </message>
    <message>
        <source>Error while downloading file from device</source>
        <translation>Ошибка загрузки файла с устройства</translation>
    </message>
    <message>
        <source>Timeout for downloading file from device</source>
        <translation>Истекло время загрузки файла с устройства</translation>
    </message>
    <message>
        <source>Clear file from device...</source>
        <translation>Очистка файла на устройстве...</translation>
    </message>
    <message>
        <source>Error while clearing file from device</source>
        <translation>Ошибка очистки файла на устройстве</translation>
    </message>
    <message>
        <source>Timeout for clearing file from device</source>
        <translation>Истекло время очистки файла на устройстве</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Menu</source>
        <translation>Меню</translation>
    </message>
    <message>
        <source>Simulated devices</source>
        <translation>Имитация устройств</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>Commands</source>
        <translation>Команды</translation>
    </message>
    <message>
        <source>Personalization</source>
        <translation>Персонализация</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Отладка</translation>
    </message>
    <message>
        <source>Application settings</source>
        <translation>Настройки программы</translation>
    </message>
    <message>
        <source>Please select device</source>
        <translation>Выберите устройство</translation>
    </message>
</context>
<context>
    <name>utils::ApplicationTask</name>
    <message>
        <source>Empty task error message</source>
        <translation>Ошибка задачи</translation>
    </message>
    <message>
        <source>Empty task waiting message</source>
        <translation>Выполнение задачи...</translation>
    </message>
    <message>
        <source>Empty task timeout message</source>
        <translation>Время ожидания задачи истекло</translation>
    </message>
</context>
</TS>
