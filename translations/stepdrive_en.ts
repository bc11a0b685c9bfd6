<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ko">
<context>
    <name>BeltPanelForm</name>
    <message>
        <source>통신설정</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>MAIN</source>
        <translation>MAIN</translation>
    </message>
    <message>
        <source>JOG/Position</source>
        <translation>JOG/Position</translation>
    </message>
    <message>
        <source>종료</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>IN2 사용시 체크</source>
        <translation>Use IN2</translation>
    </message>
    <message>
        <source>WRITE ALL</source>
        <translation>Write all</translation>
    </message>
    <message>
        <source>READ ALL</source>
        <translation>Read all</translation>
    </message>
    <message>
        <source>1.가속(0~2047)</source>
        <translation>1.Accel(0~2047)</translation>
    </message>
    <message>
        <source>2.속도(0~2047)</source>
        <translation>2.Spd(0~2047)</translation>
    </message>
    <message>
        <source>3.감속(0~2047)</source>
        <translation>3.Decel(0~2047)</translation>
    </message>
    <message>
        <source>4.속도(0~2047)</source>
        <translation>4.Spd(0~2047)</translation>
    </message>
    <message>
        <source>TX DATA</source>
        <translation>TX DATA</translation>
    </message>
    <message>
        <source>RX DATA</source>
        <translation>RX DATA</translation>
    </message>
</context>
<context>
    <name>ComSimulator</name>
    <message>
        <source>시뮬레이터를 시작할 수 없습니다: %1</source>
        <translation>The simulator can&apos;t be started: %1</translation>
    </message>
</context>
<context>
    <name>EntryBox</name>
    <message>
        <source>%1: &quot;%2&quot;은(는) 숫자가 아닙니다. 보내지 않았습니다.</source>
        <translation>%1: &quot;%2&quot; is not a number. Nothing was sent.</translation>
    </message>
    <message>
        <source>%1: %2자까지 들어갑니다. 붙여 넣은 &quot;%3&quot;(%4자)을(를) 받지 않았습니다.</source>
        <translation>%1: takes at most %2 characters. The pasted &quot;%3&quot; (%4 characters) was not taken.</translation>
    </message>
</context>
<context>
    <name>FileMenu</name>
    <message>
        <source>파일</source>
        <translation>File</translation>
    </message>
</context>
<context>
    <name>JogPositionPanelForm</name>
    <message>
        <source>통신설정</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>MAIN</source>
        <translation>MAIN</translation>
    </message>
    <message>
        <source>BELT MODE</source>
        <translation>BELT MODE</translation>
    </message>
    <message>
        <source>종료</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>구분</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>가속도(0~2047)</source>
        <translation>Accel(0~2047)</translation>
    </message>
    <message>
        <source>속도(0~2047)</source>
        <translation>Spd(0~2047)</translation>
    </message>
    <message>
        <source>위치</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>실행</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>동작</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>DATA  DOWNLOAD</source>
        <translation>DATA  DOWNLOAD</translation>
    </message>
    <message>
        <source>DATA READ</source>
        <translation>DATA READ</translation>
    </message>
    <message>
        <source>TX DATA</source>
        <translation>TX DATA</translation>
    </message>
    <message>
        <source>RX DATA</source>
        <translation>RX DATA</translation>
    </message>
</context>
<context>
    <name>MainPanelForm</name>
    <message>
        <source>통신설정</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>JOG/Position</source>
        <translation>JOG/Position</translation>
    </message>
    <message>
        <source>BELT MODE</source>
        <translation>BELT MODE</translation>
    </message>
    <message>
        <source>종료</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>동작전류(0~31)</source>
        <translation>Run current (0~31)</translation>
    </message>
    <message>
        <source>정지전류(0~31)</source>
        <translation>Stop current (0~31)</translation>
    </message>
    <message>
        <source>동작속도(0~2047)</source>
        <translation>Speed (0~2047)</translation>
    </message>
    <message>
        <source>가감속(0~2047)</source>
        <translation>Accel (0~2047)</translation>
    </message>
    <message>
        <source>홈이동속도(0~2047)</source>
        <translation>Home spd (0~2047)</translation>
    </message>
    <message>
        <source>홈 OFFSET</source>
        <translation>Home OFFSET</translation>
    </message>
    <message>
        <source>분해능(0~8)</source>
        <translation>Resolution (0~8)</translation>
    </message>
    <message>
        <source>WRITE ALL</source>
        <translation>Write all</translation>
    </message>
    <message>
        <source>READ ALL</source>
        <translation>Read all</translation>
    </message>
    <message>
        <source>위치값 확인</source>
        <translation>Read position</translation>
    </message>
    <message>
        <source>절대이동</source>
        <translation>Absolute move</translation>
    </message>
    <message>
        <source>증분이동</source>
        <translation>Relative move</translation>
    </message>
    <message>
        <source>이동펄스</source>
        <translation>Pulses</translation>
    </message>
    <message>
        <source>ROL</source>
        <translation>ROL</translation>
    </message>
    <message>
        <source>ROR</source>
        <translation>ROR</translation>
    </message>
    <message>
        <source>원점</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>모터 정지</source>
        <translation>Motor stop</translation>
    </message>
    <message>
        <source>JOG SPEED (0~2047)</source>
        <translation>JOG SPEED (0~2047)</translation>
    </message>
    <message>
        <source>입력</source>
        <translation>Inputs</translation>
    </message>
    <message>
        <source>RUN</source>
        <translation>RUN</translation>
    </message>
    <message>
        <source>HSEN</source>
        <translation>HSEN</translation>
    </message>
    <message>
        <source>출력1 ON</source>
        <translation>OUT1 ON</translation>
    </message>
    <message>
        <source>출력2 ON</source>
        <translation>OUT2 ON</translation>
    </message>
    <message>
        <source>TX DATA</source>
        <translation>TX DATA</translation>
    </message>
    <message>
        <source>RX DATA</source>
        <translation>RX DATA</translation>
    </message>
</context>
<context>
    <name>PortWords</name>
    <message>
        <source>주소는 tcp://호스트:포트 또는 rfc2217://호스트:포트 형식입니다.</source>
        <translation>The address takes the form tcp://HOST:PORT or rfc2217://HOST:PORT.</translation>
    </message>
    <message>
        <source>호스트를 찾을 수 없습니다.</source>
        <translation>The host is not found.</translation>
    </message>
    <message>
        <source>장치 서버가 연결을 거부했습니다.</source>
        <translation>The device server refused the connection.</translation>
    </message>
    <message>
        <source>장치 서버가 연결을 끊었습니다.</source>
        <translation>The device server ended the connection.</translation>
    </message>
    <message>
        <source>장치 서버가 RFC 2217을 지원하지 않습니다. (%1)</source>
        <translation>The device server does not speak RFC 2217. (%1)</translation>
    </message>
    <message>
        <source>이 포트는 RFC 2217을 씁니다. rfc2217://호스트:포트로 연결하십시오.</source>
        <translation>This port speaks RFC 2217: connect with rfc2217://HOST:PORT.</translation>
    </message>
    <message>
        <source>장치 서버가 통신 설정을 받아들이지 않았습니다. (%1)</source>
        <translation>The device server did not take the line settings. (%1)</translation>
    </message>
    <message>
        <source>장치가 없습니다.</source>
        <translation>There is no such device.</translation>
    </message>
    <message>
        <source>장치를 쓸 권한이 없습니다. 사용자를 dialout 그룹에 넣고 (sudo usermod -aG dialout $USER) 다시 로그인하십시오.</source>
        <translation>You may not use the device. Add the user to the dialout group (sudo usermod -aG dialout $USER) and log in again.</translation>
    </message>
    <message>
        <source>장치를 쓸 권한이 없습니다.</source>
        <translation>You may not use the device.</translation>
    </message>
    <message>
        <source>다른 프로그램이 사용하고 있습니다.</source>
        <translation>Another program is using it.</translation>
    </message>
    <message>
        <source>시간 초과</source>
        <translation>Timed out</translation>
    </message>
    <message>
        <source>읽을 수 없음</source>
        <translation>Cannot read</translation>
    </message>
    <message>
        <source>형식은 &quot;속도,패리티,데이터 비트,정지 비트&quot;입니다</source>
        <translation>the form is &quot;speed,parity,data bits,stop bits&quot;</translation>
    </message>
    <message>
        <source>통신속도 &quot;%1&quot;은(는) 숫자가 아닙니다</source>
        <translation>the speed &quot;%1&quot; is not a number</translation>
    </message>
    <message>
        <source>패리티 &quot;%1&quot;</source>
        <translation>parity &quot;%1&quot;</translation>
    </message>
    <message>
        <source>데이터 비트 &quot;%1&quot;</source>
        <translation>data bits &quot;%1&quot;</translation>
    </message>
    <message>
        <source>정지 비트 &quot;%1&quot;</source>
        <translation>stop bits &quot;%1&quot;</translation>
    </message>
    <message>
        <source>통신 설정 &quot;%1&quot;을(를) 쓸 수 없습니다: %2</source>
        <translation>The line settings &quot;%1&quot; cannot be used: %2</translation>
    </message>
    <message>
        <source>%1: 포트 번호가 없습니다. 포트를 목록에서 고르십시오.</source>
        <translation>%1: there is no port number. Choose a port from the list.</translation>
    </message>
    <message>
        <source>%1을(를) 열 수 없습니다: %2</source>
        <translation>%1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>%1: 포트가 열려 있지 않아 보내지 못했습니다.</source>
        <translation>%1: not sent, the port is not open.</translation>
    </message>
    <message>
        <source>%1: 보내지 못했습니다: %2</source>
        <translation>%1: not sent: %2</translation>
    </message>
    <message>
        <source>%1 연결이 끊어졌습니다. 장치와 케이블을 확인한 뒤 다시 연결하십시오. (%2)</source>
        <translation>%1 was disconnected. Check the device and the cable, then connect again. (%2)</translation>
    </message>
    <message>
        <source>포트가 연결되어 있지 않습니다. 통신설정에서 포트를 먼저 연결하십시오.</source>
        <translation>No port is connected. Connect one first under Connection settings.</translation>
    </message>
    <message>
        <source>%1 %2 설정, 요청 %3</source>
        <translation>%1 %2 set, %3 asked</translation>
    </message>
    <message>
        <source>텔넷 응답 없음</source>
        <translation>no telnet answer</translation>
    </message>
    <message>
        <source>COM-PORT-CONTROL 응답 없음</source>
        <translation>no answer to COM-PORT-CONTROL</translation>
    </message>
    <message>
        <source>바이너리 모드 거부</source>
        <translation>binary mode refused</translation>
    </message>
    <message>
        <source>COM-PORT-CONTROL 거부</source>
        <translation>COM-PORT-CONTROL refused</translation>
    </message>
    <message>
        <source>통신속도</source>
        <translation>speed</translation>
    </message>
    <message>
        <source>데이터 비트</source>
        <translation>data bits</translation>
    </message>
    <message>
        <source>패리티 코드</source>
        <translation>parity code</translation>
    </message>
    <message>
        <source>정지 비트 코드</source>
        <translation>stop bits code</translation>
    </message>
    <message>
        <source>알 수 없음</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>시스템 오류</source>
        <translation>a system error</translation>
    </message>
</context>
<context>
    <name>ProfileWords</name>
    <message>
        <source> (%1행 %2열)</source>
        <translation> (line %1, column %2)</translation>
    </message>
    <message>
        <source>%1행 %2열의 JSON 형식이 잘못되었습니다: %3</source>
        <translation>malformed JSON at line %1, column %2: %3</translation>
    </message>
    <message>
        <source>%1행 %2열: 설정 파일은 JSON 객체여야 합니다</source>
        <translation>line %1, column %2: a profile is a JSON object</translation>
    </message>
    <message>
        <source>%1행 %2열: motor, table, belt 중 어느 부분도 없습니다</source>
        <translation>line %1, column %2: the profile has none of the sections motor, table, belt</translation>
    </message>
    <message>
        <source>%1: 두 번 있습니다 (%2행 %3열에 다시)</source>
        <translation>%1: given twice (again at line %2, column %3)</translation>
    </message>
    <message>
        <source>%1: 모르는 키입니다 (쓸 수 있는 키: %2)</source>
        <translation>%1: unknown key (expected %2)</translation>
    </message>
    <message>
        <source>%1: 값이 없습니다</source>
        <translation>%1: missing</translation>
    </message>
    <message>
        <source>%1: %2은(는) 숫자가 아닙니다</source>
        <translation>%1: %2 is not a number</translation>
    </message>
    <message>
        <source>%1: %2은(는) 정수가 아닙니다</source>
        <translation>%1: %2 is not a whole number</translation>
    </message>
    <message>
        <source>%1: %2은(는) 범위 %3~%4 밖입니다</source>
        <translation>%1: %2 is out of range (%3 to %4)</translation>
    </message>
    <message>
        <source>%1: %2은(는) true 또는 false가 아닙니다</source>
        <translation>%1: %2 is not true or false</translation>
    </message>
    <message>
        <source>%1: %1 매개변수의 객체여야 합니다</source>
        <translation>%1: must be an object of the %1 parameters</translation>
    </message>
    <message>
        <source>%1: 항목 %2개의 목록이어야 합니다</source>
        <translation>%1: must be a list of %2 entries</translation>
    </message>
    <message>
        <source>%1: %2의 객체여야 합니다</source>
        <translation>%1: must be an object of %2</translation>
    </message>
    <message>
        <source>%1: %2은(는) 받지 않습니다. 정수는 지수 없이 쓰십시오 (%3행 %4열)</source>
        <translation>%1: %2 is refused: write whole numbers without an exponent (line %3, column %4)</translation>
    </message>
    <message>
        <source>%1: %2은(는) 문자열이 아닙니다</source>
        <translation>%1: %2 is not a string</translation>
    </message>
    <message>
        <source>%1: 문자열로 된 객체여야 합니다</source>
        <translation>%1: must be an object of strings</translation>
    </message>
</context>
<context>
    <name>StartDialogForm</name>
    <message>
        <source>통신설정</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>사용가능 포트</source>
        <translation>Available ports</translation>
    </message>
    <message>
        <source>통신속도</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>STOP BIT : 1                    DATA BIT : 8                 PARITY : NONE</source>
        <translation>STOP BIT : 1                    DATA BIT : 8                 PARITY : NONE</translation>
    </message>
    <message>
        <source>통신 연결</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>종료</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>통신 정지</source>
        <translation>Disconnect</translation>
    </message>
</context>
<context>
    <name>StopControl</name>
    <message>
        <source>모터 정지 (Esc)</source>
        <translation>Motor stop (Esc)</translation>
    </message>
</context>
<context>
    <name>stepdrive::BeltDiagram</name>
    <message>
        <source>속도</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>이동거리</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>1.가속</source>
        <translation>1.Accel</translation>
    </message>
    <message>
        <source>2.속도</source>
        <translation>2.Speed</translation>
    </message>
    <message>
        <source>3.감속</source>
        <translation>3.Decel</translation>
    </message>
    <message>
        <source>4.속도</source>
        <translation>4.Speed</translation>
    </message>
</context>
<context>
    <name>stepdrive::Connection</name>
    <message>
        <source>%1: 같은 어댑터(%2)가 다시 연결되어 통신을 다시 열었습니다.</source>
        <translation>%1: the same adapter (%2) is back; the line is open again.</translation>
    </message>
</context>
<context>
    <name>stepdrive::DriverPanel</name>
    <message>
        <source>에러 가감속 값은 2047보다 작아야 한다.</source>
        <translation>Error: the acceleration must be less than 2047.</translation>
    </message>
    <message>
        <source>에러 구동속도 값은 2047보다 작아야 한다.</source>
        <translation>Error: the speed must be less than 2047.</translation>
    </message>
    <message>
        <source>통신에러</source>
        <translation>Communication error</translation>
    </message>
    <message>
        <source>%1: 드라이버가 1초 안에 응답하지 않았습니다. 통신속도(%2)가 드라이버와 같은지, 케이블이 바르게 연결되었는지, 드라이버의 전원이 켜져 있는지 확인하십시오.</source>
        <translation>%1: the driver did not answer within 1 second. Check that the speed (%2) is the driver&apos;s, that the cable is connected properly and that the driver is powered on.</translation>
    </message>
    <message>
        <source>%1: 드라이버의 응답이 1초 안에 읽을 수 있는 형태로 오지 않았습니다(응답이 깨졌거나 빠졌습니다). 케이블과 접지, 주변의 잡음원, 통신속도(%2)가 드라이버와 같은지 확인하십시오.</source>
        <translation>%1: no readable reply came from the driver within 1 second (the replies were garbled or missing). Check the cable and its grounding, sources of electrical noise nearby, and that the speed (%2) is the driver&apos;s.</translation>
    </message>
    <message>
        <source>에러 동작전류 값은 32보다 작아야 한다.</source>
        <translation>Error: the run current must be less than 32.</translation>
    </message>
    <message>
        <source>에러 정지전류 값은 32보다 작아야 한다.</source>
        <translation>Error: the stop current must be less than 32.</translation>
    </message>
    <message>
        <source>에러 홈 이동 속도 값은 2047보다 작아야 한다.</source>
        <translation>Error: the home speed must be less than 2047.</translation>
    </message>
    <message>
        <source>에러 분해능 값은 8보다 작아야 한다.</source>
        <translation>Error: the resolution must be less than 8.</translation>
    </message>
    <message>
        <source>모터 정지: WRITE ALL을 멈췄습니다. %1개 중 %2개를 보냈고, 흰색 칸의 값은 보내지 않았습니다.</source>
        <translation>Motor stop: WRITE ALL was cut short. %2 of %1 values went out; the values in the white boxes were not sent.</translation>
    </message>
    <message>
        <source>모터 정지: DATA DOWNLOAD를 멈췄습니다. %1행 중 %2행을 보냈고, 나머지 행은 보내지 않았습니다.</source>
        <translation>Motor stop: DATA DOWNLOAD was cut short. %2 of %1 rows went out; the rows after them were not sent.</translation>
    </message>
    <message>
        <source>모터 정지: READ ALL을 멈췄습니다. 채우지 못한 칸은 비웠습니다.</source>
        <translation>Motor stop: READ ALL was cut short. The boxes it did not fill are empty.</translation>
    </message>
    <message>
        <source>모터 정지: DATA READ를 멈췄습니다. 읽지 못한 행은 입력한 값 그대로입니다.</source>
        <translation>Motor stop: DATA READ was cut short. The rows it did not read keep what was typed.</translation>
    </message>
</context>
<context>
    <name>stepdrive::JogPositionPanel</name>
    <message>
        <source>%1행 %2</source>
        <translation>Row %1 %2</translation>
    </message>
    <message>
        <source>%1: %2은(는) %3~%4 범위를 벗어납니다.</source>
        <translation>%1: %2 is outside %3~%4.</translation>
    </message>
</context>
<context>
    <name>stepdrive::LiveView</name>
    <message>
        <source>보기</source>
        <translation>View</translation>
    </message>
    <message>
        <source>실시간 보기…</source>
        <translation>Live view…</translation>
    </message>
    <message>
        <source>기록 파일</source>
        <translation>Record file</translation>
    </message>
    <message>
        <source>CSV 파일 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>실시간 보기를 열 수 없습니다: %1</source>
        <translation>The live view can&apos;t be opened: %1</translation>
    </message>
    <message>
        <source>%1: 기록 파일을 쓸 수 없습니다(%2).</source>
        <translation>%1: the record file can&apos;t be written (%2).</translation>
    </message>
</context>
<context>
    <name>stepdrive::LiveViewWindowWidget</name>
    <message>
        <source>위치</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>펄스</source>
        <translation>pulses</translation>
    </message>
    <message>
        <source>속도</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>펄스/초</source>
        <translation>pulses/s</translation>
    </message>
    <message>
        <source>위치 (펄스)</source>
        <translation>Position (pulses)</translation>
    </message>
    <message>
        <source>속도 (펄스/초)</source>
        <translation>Speed (pulses/s)</translation>
    </message>
    <message>
        <source>시간 (초)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>%1초</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>기록 시작</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>모터 정지</source>
        <translation>Motor stop</translation>
    </message>
    <message>
        <source>간격</source>
        <translation>Interval</translation>
    </message>
    <message>
        <source>구간</source>
        <translation>Span</translation>
    </message>
    <message>
        <source>읽는 중</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>잠시 멈춤: 다른 명령이 진행 중입니다</source>
        <translation>Held: another command is under way</translation>
    </message>
    <message>
        <source>멈춤: 메인 화면의 통신이 닫혀 있습니다</source>
        <translation>Stopped: the main panel&apos;s line is closed</translation>
    </message>
    <message>
        <source>멈춤: 드라이버가 응답하지 않습니다</source>
        <translation>Stopped: the driver does not answer</translation>
    </message>
    <message>
        <source>기록 정지</source>
        <translation>Stop recording</translation>
    </message>
</context>
<context>
    <name>stepdrive::MainPanel</name>
    <message>
        <source>출력1 ON</source>
        <translation>OUT1 ON</translation>
    </message>
    <message>
        <source>출력1 OFF</source>
        <translation>OUT1 OFF</translation>
    </message>
    <message>
        <source>출력2 ON</source>
        <translation>OUT2 ON</translation>
    </message>
    <message>
        <source>출력2 OFF</source>
        <translation>OUT2 OFF</translation>
    </message>
</context>
<context>
    <name>stepdrive::MotionGuard</name>
    <message>
        <source>조그 운전 중이던 모터는 아직 돌고 있을 수 있습니다. 다시 연결한 뒤 모터 정지를 누르십시오.</source>
        <translation>A motor that was jogging may still be running: connect again and press Motor stop.</translation>
    </message>
    <message>
        <source>움직이던 모터는 아직 움직이고 있을 수 있습니다. 다시 연결한 뒤 모터 정지를 누르십시오.</source>
        <translation>A motor that was moving may still be moving: connect again and press Motor stop.</translation>
    </message>
    <message>
        <source>모터가 조그 운전 중입니다. 정지하고 종료할까요?</source>
        <translation>The motor is jogging. Stop it and exit?</translation>
    </message>
    <message>
        <source>모터가 조그 운전 중입니다. 정지하고 통신을 끊을까요?</source>
        <translation>The motor is jogging. Stop it and disconnect?</translation>
    </message>
    <message>
        <source>모터가 움직이고 있을 수 있습니다. 정지하고 종료할까요?</source>
        <translation>The motor may be moving. Stop it and exit?</translation>
    </message>
    <message>
        <source>모터가 움직이고 있을 수 있습니다. 정지하고 통신을 끊을까요?</source>
        <translation>The motor may be moving. Stop it and disconnect?</translation>
    </message>
    <message>
        <source>정지 후 종료</source>
        <translation>Stop and exit</translation>
    </message>
    <message>
        <source>그대로 종료</source>
        <translation>Exit, leave running</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>정지 후 통신 정지</source>
        <translation>Stop and disconnect</translation>
    </message>
    <message>
        <source>그대로 통신 정지</source>
        <translation>Disconnect, leave running</translation>
    </message>
</context>
<context>
    <name>stepdrive::SetupFiles</name>
    <message>
        <source>설정 저장</source>
        <translation>Save settings</translation>
    </message>
    <message>
        <source>설정 불러오기</source>
        <translation>Load settings</translation>
    </message>
    <message>
        <source>설정 파일 (*.json)</source>
        <translation>Settings files (*.json)</translation>
    </message>
    <message>
        <source>위치:</source>
        <translation>Look in:</translation>
    </message>
    <message>
        <source>파일 이름:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>파일 형식:</source>
        <translation>File type:</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>열기</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>설정 불러오기…</source>
        <translation>Load settings…</translation>
    </message>
    <message>
        <source>설정 저장…</source>
        <translation>Save settings…</translation>
    </message>
    <message>
        <source>%1: 파일을 열 수 없습니다. %2</source>
        <translation>%1: the file cannot be opened. %2</translation>
    </message>
    <message>
        <source>%1: 설정을 불러오지 않았습니다. 바뀐 값은 없습니다.
%2</source>
        <translation>%1: the settings were not loaded. Nothing was changed.
%2</translation>
    </message>
    <message>
        <source>%1 파일이 이미 있습니다. 바꿀까요?</source>
        <translation>%1 already exists. Replace it?</translation>
    </message>
    <message>
        <source>바꾸기</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>%1: 설정을 저장하지 못했습니다. %2</source>
        <translation>%1: the settings could not be saved. %2</translation>
    </message>
</context>
</TS>
