-- A database envcheck-read of schema version 2 made (commit f6a086d, --db of reports/matrix-win7.txt), as sqlite3's .dump writes it.
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE reports (
    id INTEGER PRIMARY KEY, file TEXT NOT NULL, sha256 TEXT NOT NULL UNIQUE, status TEXT NOT NULL,
    report_date TEXT, computer TEXT, user TEXT, cpu TEXT, cpu_family INTEGER, cpu_model INTEGER,
    cpu_count INTEGER, clock_mhz INTEGER, memory_bytes INTEGER, os_row TEXT, os_product TEXT, os_edition TEXT,
    os_service_pack TEXT, os_build INTEGER, windows TEXT, windows_version TEXT, windows_build TEXT,
    windows_architecture TEXT, directx TEXT, d3d9_adapter TEXT, d3d9_driver_version TEXT, whql TEXT,
    part INTEGER NOT NULL DEFAULT 1, parts INTEGER NOT NULL DEFAULT 1, preface TEXT, host TEXT, domain TEXT,
    dns_servers TEXT);
INSERT INTO reports VALUES(1,'reports/matrix-win7.txt','83a260ef9ac74aa132e3bcbb886a3a705668e5122fb5568e3f5afd7b6e009163','read','2026-12-09 15:15:18','VM','root','Intel(R) Xeon(R) Processor',6,7,2,2600,25276153856,'Microsoft Windows 7 Server 4.0 Service Pack 1 (Build 7601)','Microsoft Windows 7','Server 4.0','Service Pack 1',7601,'Windows Server 2008 R2',NULL,NULL,'x86','4.09.0000.0904','NVIDIA GeForce GTX 470','8.21.13.9135','認証されていない。',1,1,NULL,'vm',NULL,'10.255.255.53');
CREATE TABLE processes (report_id INTEGER NOT NULL REFERENCES reports(id), pid INTEGER,
    name TEXT, path TEXT);
INSERT INTO processes VALUES(1,56,'services.exe','C:\windows\system32\services.exe');
INSERT INTO processes VALUES(1,68,'winedevice.exe','C:\windows\system32\winedevice.exe');
INSERT INTO processes VALUES(1,108,'winedevice.exe','C:\windows\system32\winedevice.exe');
INSERT INTO processes VALUES(1,156,'plugplay.exe','C:\windows\system32\plugplay.exe');
INSERT INTO processes VALUES(1,192,'svchost.exe','C:\windows\system32\svchost.exe');
INSERT INTO processes VALUES(1,232,'rpcss.exe','C:\windows\system32\rpcss.exe');
INSERT INTO processes VALUES(1,328,'explorer.exe','C:\windows\system32\explorer.exe');
INSERT INTO processes VALUES(1,564,'envcheck_versions.exe','Z:\tmp\recrun\envcheck_versions.exe');
CREATE TABLE services (report_id INTEGER NOT NULL REFERENCES reports(id), kind TEXT,
    display_name TEXT, name TEXT, state TEXT);
INSERT INTO services VALUES(1,'service','BITS Service','BITS','not running.');
INSERT INTO services VALUES(1,'service','Event Log','Eventlog','running.');
INSERT INTO services VALUES(1,'service','Windows Font Cache Service','FontCache','not running.');
INSERT INTO services VALUES(1,'service','Windows Presentation Foundation Font Cache 3.0.0.0','FontCache3.0.0.0','not running.');
INSERT INTO services VALUES(1,'service','Lanman Server','LanmanServer','not running.');
INSERT INTO services VALUES(1,'service','MSIServer','MSIServer','not running.');
INSERT INTO services VALUES(1,'service','Plug and Play Service','PlugPlay','running.');
INSERT INTO services VALUES(1,'service','Remote Procedure Call (RPC)','RpcSs','running.');
INSERT INTO services VALUES(1,'service','Task Scheduler','Schedule','not running.');
INSERT INTO services VALUES(1,'service','Print Spooler','Spooler','not running.');
INSERT INTO services VALUES(1,'service','WIA Service','StiSvc','not running.');
INSERT INTO services VALUES(1,'service','Terminal Services','TermService','not running.');
INSERT INTO services VALUES(1,'service','Windows Management Instrumentation Service','Winmgmt','not running.');
INSERT INTO services VALUES(1,'service','Automatic Updates','wuauserv','not running.');
INSERT INTO services VALUES(1,'service','Winedevice1','Winedevice1','running.');
INSERT INTO services VALUES(1,'service','Winedevice2','Winedevice2','running.');
INSERT INTO services VALUES(1,'driver','HTTP','HTTP','not running.');
INSERT INTO services VALUES(1,'driver','Mount Manager','MountMgr','running.');
INSERT INTO services VALUES(1,'driver','NDIS','NDIS','running.');
INSERT INTO services VALUES(1,'driver','NSI Proxy','nsiproxy','running.');
INSERT INTO services VALUES(1,'driver','Wine HID bus','winebus','running.');
INSERT INTO services VALUES(1,'driver','Wine HID','winehid','running.');
INSERT INTO services VALUES(1,'driver','Wine USB bus','wineusb','running.');
CREATE TABLE adapters (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT,
    position INTEGER, description TEXT, vendor_id TEXT, device_id TEXT, driver_version TEXT, driver_date TEXT,
    memory TEXT, software INTEGER);
INSERT INTO adapters VALUES(1,'d3d9',0,'NVIDIA GeForce GTX 470','0x10DE','0x06CD','8.21.13.9135',NULL,NULL,0);
INSERT INTO adapters VALUES(1,'dxdiag',0,'NVIDIA GeForce GTX 470','0x10DE','0x06CD','8.21.0013.9135','2016-01-01',NULL,0);
INSERT INTO adapters VALUES(1,'dxgi',0,'NVIDIA GeForce GTX 470','0x10DE','0x06CD','8.21.13.9135',NULL,'4095 MB or more',0);
CREATE TABLE displays (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT,
    adapter INTEGER, device TEXT, width INTEGER, height INTEGER, refresh INTEGER, text TEXT);
INSERT INTO displays VALUES(1,'dxdiag',0,'\\.\DISPLAY1',1280,1024,60,'1280 x 1024 (32 bit) (60Hz)');
INSERT INTO displays VALUES(1,'dxgi',0,'\\.\DISPLAY1',NULL,NULL,NULL,'\\.\DISPLAY1 1280 x 1024 60 Hz, scale 100%, primary');
CREATE TABLE drives (report_id INTEGER NOT NULL REFERENCES reports(id), root TEXT,
    volume_name TEXT, file_system TEXT, type TEXT, total_bytes INTEGER, free_bytes INTEGER);
INSERT INTO drives VALUES(1,'C:\',NULL,'NTFS','固定ディスク',270553174016,72607965184);
INSERT INTO drives VALUES(1,'Z:\',NULL,'NTFS','固定ディスク',270553174016,72607965184);
CREATE TABLE findings (report_id INTEGER NOT NULL REFERENCES reports(id), rule TEXT, text TEXT);
INSERT INTO findings VALUES(1,'windows-before-10','Windows older than 10');
INSERT INTO findings VALUES(1,'windows-32bit','32-bit Windows');
INSERT INTO findings VALUES(1,'driver-over-2-years','graphics driver over two years older than the report');
CREATE TABLE sound_devices (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    description TEXT, driver_version TEXT, driver_date TEXT, is_default INTEGER);
CREATE TABLE network_adapters (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, description TEXT, address TEXT, ip TEXT, mask TEXT, gateway TEXT, dhcp INTEGER);
INSERT INTO network_adapters VALUES(1,0,'ifb0 - {00000002-0000-0000-0000-4E6574446576}','ifb0','2E-8A-D9-8B-B4-9D-','0.0.0.0','0.0.0.0','0.0.0.0',1);
INSERT INTO network_adapters VALUES(1,1,'ifb1 - {00000003-0000-0000-0000-4E6574446576}','ifb1','D2-13-A8-6B-CF-BD-','0.0.0.0','0.0.0.0','0.0.0.0',1);
INSERT INTO network_adapters VALUES(1,2,'eth0 - {00000004-0000-0000-0000-4E6574446576}','eth0','02-FC-00-00-00-01-','192.0.2.2','255.255.255.0','192.0.2.1',1);
CREATE TABLE problems (report_id INTEGER NOT NULL REFERENCES reports(id), line INTEGER,
    message TEXT NOT NULL);
CREATE TABLE notes (report_id INTEGER NOT NULL REFERENCES reports(id), note TEXT NOT NULL);
CREATE INDEX sound_devices_report ON sound_devices(report_id);
CREATE INDEX network_adapters_report ON network_adapters(report_id);
CREATE INDEX problems_report ON problems(report_id);
CREATE INDEX notes_report ON notes(report_id);
CREATE INDEX processes_name ON processes(name);
CREATE INDEX processes_report ON processes(report_id);
CREATE INDEX services_name ON services(name, state);
CREATE INDEX services_report ON services(report_id);
CREATE INDEX adapters_description ON adapters(description, driver_version);
CREATE INDEX adapters_report ON adapters(report_id);
CREATE INDEX displays_report ON displays(report_id);
CREATE INDEX drives_report ON drives(report_id);
CREATE INDEX findings_rule ON findings(rule);
CREATE INDEX findings_report ON findings(report_id);
CREATE INDEX reports_os ON reports(os_product, os_build);
COMMIT;
PRAGMA user_version = 2;
PRAGMA application_id = 1164867154;
