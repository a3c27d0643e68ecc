// WCH CH340 and CH341. Vendor requests write the chip's registers: the rate
// as a prescaler and a divisor of its 48 MHz clock (the beacons' rate comes
// out 0.16% fast), the line control, and the modem lines, which are active
// low.
const Ch34xReadVersion = 0x5f;
const Ch34xWriteRegister = 0x9a;
const Ch34xSerialInit = 0xa1;
const Ch34xModemControl = 0xa4;
const Ch34xPrescalerRegister = 0x12;
const Ch34xDivisorRegister = 0x13;
const Ch34xLcrRegister = 0x18;
const Ch34xLcr2Register = 0x25;
const Ch34xEnableRx = 0x80;
const Ch34xEnableTx = 0x40;
const Ch34xParityOn = 0x08;
const Ch34xParityEven = 0x10;
const Ch34xTwoStop = 0x04;
const Ch34xDtr = 1 << 5;
const Ch34xRts = 1 << 6;
const Ch34xClock = 48e6;
// Without this bit the chip holds received bytes until a full packet (32
// bytes) is in; one chip version (0x27 and older) has it the other way.
const Ch34xSendAtOnce = 0x80;

// The clock divided for prescaler ps (0..3) and fact (1: the faster base).
function ch34xClockDivider(ps, fact) {
  return 1 << (12 - 3 * ps - fact);
}

// The prescaler and divisor for a rate: the fastest base clock whose
// divisor stays under 512, the divisor rounded to the nearer rate, and the
// slower base where the divisor is even (the receiver is more tolerant).
// Returns { code, rate }: code as the register pair takes it, rate the one
// the chip runs at.
export function ch34xRate(baudRate) {
  let ps = 3;
  while (ps >= 0 && baudRate <= Ch34xClock / (ch34xClockDivider(ps, 1) * 512)) ps--;
  if (ps < 0) return null;
  let fact = 1;
  let clockDivider = ch34xClockDivider(ps, fact);
  let div = Math.floor(Ch34xClock / (clockDivider * baudRate));
  if (div < 9 || div > 255) {
    div = Math.floor(div / 2);
    clockDivider *= 2;
    fact = 0;
  }
  if (div < 2) return null;
  const rateWith = (d) => Math.floor((16 * Ch34xClock) / (clockDivider * d));
  if (rateWith(div) - 16 * baudRate >= 16 * baudRate - rateWith(div + 1)) div++;
  if (fact === 1 && div % 2 === 0) {
    div /= 2;
    fact = 0;
  }
  return { code: ((0x100 - div) << 8) | (fact << 2) | ps, rate: Ch34xClock / (ch34xClockDivider(ps, fact) * div) };
}

function ch34xLineControl({ dataBits = 8, stopBits = 1, parity = "none" }) {
  let lcr = Ch34xEnableRx | Ch34xEnableTx | (dataBits - 5);
  if (parity !== "none") lcr |= Ch34xParityOn | (parity === "even" ? Ch34xParityEven : 0);
  if (stopBits === 2) lcr |= Ch34xTwoStop;
  return lcr;
}

export const Ch34xDriver = {
  title: () => "CH340/CH341",
  matches(device) {
    return device.vendorId === 0x1a86 && [0x7523, 0x7522, 0x5523].includes(device.productId);
  },
  async setup(usb, options) {
    const number = usb.interfaces()[0]?.interfaceNumber ?? 0;
    const ends = usb.bulk(number);
    await usb.claim(number);
    const version = (await usb.in("vendor", "device", Ch34xReadVersion, 0, 0, 2))[0];
    const write = (request, value, index) => usb.out("vendor", "device", request, value, index);
    await write(Ch34xSerialInit, 0, 0);
    const rate = ch34xRate(options.baudRate);
    if (!rate) throw new RangeError(`no CH34x divisor for ${options.baudRate} baud`);
    const code = version > 0x27 ? rate.code | Ch34xSendAtOnce : rate.code;
    await write(Ch34xWriteRegister, (Ch34xDivisorRegister << 8) | Ch34xPrescalerRegister, code);
    await write(Ch34xWriteRegister, (Ch34xLcr2Register << 8) | Ch34xLcrRegister, ch34xLineControl(options));
    await write(Ch34xModemControl, ~(Ch34xDtr | Ch34xRts) & 0xffff, 0);
    return { interfaces: [number], ...ends };
  },
};
