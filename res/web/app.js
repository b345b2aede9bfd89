// The web remote: pairing, then the player's state from the event stream and
// every control as an action request. Same origin only; no inline code (the
// server's policy forbids it).
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  // The address's ?lang= first, then the browser's languages in its order.
  function pickLanguage() {
    const asked = new URLSearchParams(location.search).get('lang');
    if (asked === 'ja' || asked === 'en') return asked;
    const tags = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
    for (const tag of tags) {
      if (/^ja\b/i.test(tag)) return 'ja';
      if (/^en\b/i.test(tag)) return 'en';
    }
    return 'en';
  }
  const lang = pickLanguage();

  // English for the texts set from code, used when the language file lacks a
  // key (an older copy in the settings folder) or could not be read.
  const fallback = {
    PageNothingPlaying: 'Nothing is playing',
    PagePlayerNotRunning: 'The player is not running.',
    PageOffline: 'Cannot reach Kolibrix. Reconnecting...',
    PagePlay: 'Play',
    PagePause: 'Pause',
    PageMute: 'Mute',
    PageUnmute: 'Unmute',
    PageRepeatOff: 'Repeat: off',
    PageRepeatOne: 'Repeat: one',
    PageRepeatAll: 'Repeat: all',
    PageShuffleOn: 'Shuffle: on',
    PageShuffleOff: 'Shuffle: off',
    PageRateOne: 'Rate 1 star',
    PageRateMany: 'Rate %1% stars',
    PageStartPlayer: 'Start the player',
    PageFastForward: 'Fast forward',
    PageRewind: 'Rewind',
    PageResume: 'Resume playing',
    PageMutedVolume: 'Muted (%1%)',
    PageSent: 'Sent: %1%',
    PageConfirmQuit: 'Quit the player on the PC?',
    PageQuitPlayer: 'Quit the player',
    PageCancel: 'Cancel',
    PagePairExpiry: 'The code on the PC is valid for %1%.',
    PagePairExpired: 'The code on the PC has expired.',
    PagePairRenew: 'Show a new code',
    PagePairCodeHint: '6 digits',
    PageNoActions: 'No actions.',
    PagePairRequestFailed: 'Could not ask the PC for a code (%1%).',
    PagePairCodeFormat: 'Enter the 6 digits shown on the PC.',
    PagePairWrongCode: 'Wrong or expired code. Check the code, or ask the PC for a new one.',
    PagePairLocked: 'Too many wrong codes: this device is locked out for 5 minutes.',
    PagePairClosed: 'Pairing is closed. On the PC, choose "Pair a phone..." in Kolibrix\'s tray menu.',
    PagePairTicketUsed: 'This pairing link was used already or has expired. On the PC, choose "Pair a phone..." for a new QR code.',
    PagePairFailed: 'Pairing failed (%1%).',
    PagePairNameDefault: 'Browser',
    PageUnpaired: 'This device is no longer paired. Pair it again.',
    PageActionRefused: 'This action may not be run from the network.',
    PageActionUnknown: 'Kolibrix does not know this action.',
    PageBusy: 'Kolibrix is busy. Try again in a moment.',
    PageActionFailed: 'The action could not be run (%1%).',
    PagePlayerBusy: 'The player is busy or slow to answer. Try again.',
    PagePositionOf: '%1% of %2%',
  };
  let texts = {};

  function t(key, ...args) {
    let text = texts[key] ?? fallback[key] ?? key;
    args.forEach((arg, i) => {
      text = text.split(`%${i + 1}%`).join(String(arg));
    });
    return text;
  }

  async function loadTexts() {
    // Bounded: the page stays hidden until the texts are there.
    const abort = new AbortController();
    const timer = setTimeout(() => abort.abort(), 5000);
    try {
      const response = await fetch(`/texts.json?lang=${lang}`, { credentials: 'same-origin', signal: abort.signal });
      if (response.ok) texts = await response.json();
    } catch (e) {
      // The defaults in the page and above stay.
    }
    clearTimeout(timer);
    document.documentElement.lang = lang;
    for (const el of document.querySelectorAll('[data-t]')) {
      if (texts[el.dataset.t] != null) el.textContent = texts[el.dataset.t];
    }
    for (const el of document.querySelectorAll('[data-ph]')) el.placeholder = t(el.dataset.ph);
    for (const el of document.querySelectorAll('[data-label]')) label(el, el.dataset.label);
    for (const star of document.querySelectorAll('.star')) {
      const n = Number(star.dataset.stars);
      star.setAttribute('aria-label', n === 1 ? t('PageRateOne') : t('PageRateMany', n));
      star.title = star.getAttribute('aria-label');
    }
    if (texts.PageTitle) document.title = texts.PageTitle;
  }

  function label(el, key) {
    const text = texts[key] ?? fallback[key];
    if (text == null) return;
    el.setAttribute('aria-label', text);
    el.title = text;
  }

  // Messages -------------------------------------------------------------

  let toastTimer = 0;
  function toast(message, ms = 3500) {
    const el = $('toast');
    el.textContent = message;
    el.hidden = false;
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => {
      el.hidden = true;
    }, ms);
  }

  // Kolibrix out of reach: the bar stays at the top, the controls rest and the clock stops.
  let offline = false;
  function setOffline(value) {
    // The clock stops where it stood, not at the last event's figure.
    if (value && ticker && current && current.track) {
      const position = (current.track.position || 0) + (performance.now() - positionAt) / 1000;
      current = { ...current, track: { ...current.track, position } };
    }
    offline = value;
    document.body.classList.toggle('offline', value);
    setStatus(value ? t('PageOffline') : '');
    if (current) render(current);
  }

  // Resolves true when the user confirms; a page without <dialog> asks the browser.
  function confirmAction(text, yes) {
    const dialog = $('confirm');
    if (typeof dialog.showModal !== 'function') return Promise.resolve(window.confirm(text));
    $('confirm-text').textContent = text;
    $('confirm-yes').textContent = yes;
    return new Promise((resolve) => {
      dialog.addEventListener('close', () => resolve(dialog.returnValue === 'yes'), { once: true });
      dialog.returnValue = '';
      dialog.showModal();
      $('confirm-no').focus();
    });
  }

  function setStatus(message) {
    const el = $('status');
    el.textContent = message || '';
    el.hidden = !message;
  }

  // Requests ---------------------------------------------------------------

  async function post(path, body) {
    return fetch(path, {
      method: 'POST',
      credentials: 'same-origin',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body),
    });
  }

  async function errorText(response) {
    try {
      const body = await response.json();
      if (body && typeof body.error === 'string' && body.error) return body.error;
    } catch (e) {
      // Not JSON: the status says enough.
    }
    return `HTTP ${response.status}`;
  }

  // Screens ----------------------------------------------------------------

  function showPairing(message) {
    closeEvents();
    stopTicking();
    $('remote').hidden = true;
    $('pairing').hidden = false;
    setStatus('');
    pairError(message || '');
    const name = $('pair-name');
    if (!name.value) name.value = localStorage.getItem('kx-device') || guessDeviceName();
  }

  function guessDeviceName() {
    const ua = navigator.userAgent;
    for (const device of ['iPhone', 'iPad', 'Android']) {
      if (ua.includes(device)) return device;
    }
    return t('PagePairNameDefault');
  }

  function pairError(message) {
    $('pair-error').textContent = message;
    $('pair-error').hidden = !message;
    if (message) $('pair-code').setAttribute('aria-invalid', 'true');
    else $('pair-code').removeAttribute('aria-invalid');
  }

  // The PC shows a device's ask for a while; past that a new ask shows a new code.
  let expiryTimer = 0;
  function showExpiry(seconds) {
    clearInterval(expiryTimer);
    const ends = performance.now() + seconds * 1000;
    const tick = () => {
      const left = Math.ceil((ends - performance.now()) / 1000);
      const over = left <= 0;
      $('pair-expiry').textContent = over ? t('PagePairExpired') : t('PagePairExpiry', clock(left));
      $('pair-expiry').hidden = false;
      $('pair-requested').hidden = over;
      $('pair-renew').hidden = !over;
      $('pair-request').hidden = true;
      if (over) stopExpiry(false);
    };
    tick();
    expiryTimer = setInterval(tick, 1000);
  }
  function stopExpiry(hide) {
    clearInterval(expiryTimer);
    expiryTimer = 0;
    if (hide) {
      $('pair-expiry').hidden = true;
      $('pair-renew').hidden = true;
      $('pair-request').hidden = false;
    }
  }

  let actionsLoaded = false;
  function showRemote(initial) {
    stopExpiry(true);
    $('pairing').hidden = true;
    $('remote').hidden = false;
    offline = false;
    document.body.classList.remove('offline');
    setStatus('');
    if (initial) render(initial);
    if (!actionsLoaded) loadActions();
    connectEvents();
  }

  // Opens the remote when this browser is paired, the pairing screen when not.
  let retryMs = 1000;
  let retryTimer = 0;
  async function fetchState() {
    try {
      return await fetch('/api/state', { credentials: 'same-origin' });
    } catch (e) {
      return null;
    }
  }

  // early: a request for the state already on its way (made with the texts').
  async function resume(early) {
    clearTimeout(retryTimer);
    const response = await (early || fetchState());
    if (!response) return retryLater();
    // Unpaired while the remote was open (removed on the PC): say why.
    if (response.status === 401) return showPairing($('remote').hidden ? '' : t('PageUnpaired'));
    if (!response.ok) return retryLater();
    retryMs = 1000;
    showRemote(await response.json());
  }

  function retryLater() {
    setOffline(true);
    clearTimeout(retryTimer);
    retryTimer = setTimeout(resume, retryMs);
    retryMs = Math.min(retryMs * 2, 30000);
  }

  // Pairing ----------------------------------------------------------------

  async function askForCode() {
    pairError('');
    $('pair-requested').hidden = true;
    let response;
    try {
      response = await post('/api/pair/request', {});
    } catch (e) {
      return pairError(t('PageOffline'));
    }
    if (response.status === 429) return pairError(t('PagePairLocked'));
    if (response.status === 403) return pairError(t('PagePairClosed'));
    if (!response.ok) return pairError(t('PagePairRequestFailed', await errorText(response)));
    let answer = {};
    try {
      answer = await response.json();
    } catch (e) {
      // The countdown's default stays.
    }
    $('pair-requested').hidden = false;
    showExpiry(Number(answer.expires) > 0 ? Math.min(Number(answer.expires), 600) : 120);
    $('pair-code').focus();
  }
  $('pair-request').addEventListener('click', askForCode);
  $('pair-renew').addEventListener('click', askForCode);

  $('pair-code').addEventListener('input', (e) => {
    const digits = e.target.value.replace(/\D/g, '').slice(0, 6);
    if (digits !== e.target.value) e.target.value = digits;
  });

  $('pair-form').addEventListener('submit', async (e) => {
    e.preventDefault();
    const code = $('pair-code').value.trim();
    const name = $('pair-name').value.trim() || guessDeviceName();
    if (!/^\d{6}$/.test(code)) return pairError(t('PagePairCodeFormat'));
    pairError('');
    const submit = $('pair-submit');
    submit.disabled = true;
    let response;
    try {
      response = await post('/api/pair', { code, name });
    } catch (err) {
      submit.disabled = false;
      return pairError(t('PageOffline'));
    }
    submit.disabled = false;
    if (response.status === 403) {
      const closed = /closed/.test(await errorText(response));
      return pairError(t(closed ? 'PagePairClosed' : 'PagePairWrongCode'));
    }
    if (response.status === 429) return pairError(t('PagePairLocked'));
    if (!response.ok) return pairError(t('PagePairFailed', await errorText(response)));
    localStorage.setItem('kx-device', name);
    $('pair-code').value = '';
    $('pair-requested').hidden = true;
    resume();
  });

  // Live state -------------------------------------------------------------

  let events = null;
  function connectEvents() {
    closeEvents();
    events = new EventSource('/api/events');
    events.addEventListener('state', (e) => {
      if (offline) setOffline(false);
      let state;
      try {
        state = JSON.parse(e.data);
      } catch (err) {
        return;
      }
      render(state);
    });
    events.addEventListener('open', () => {
      retryMs = 1000;
      if (offline) setOffline(false);
    });
    events.addEventListener('error', () => {
      setOffline(true);
      // Closed for good (refused, or not an event stream): find out whether
      // the pairing is gone; otherwise the browser reconnects by itself.
      if (events && events.readyState === EventSource.CLOSED) {
        closeEvents();
        retryTimer = setTimeout(resume, retryMs);
        retryMs = Math.min(retryMs * 2, 30000);
      }
    });
  }

  function closeEvents() {
    if (events) events.close();
    events = null;
  }

  // A phone that slept may have lost the stream without an error.
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible' && !$('remote').hidden && !events) resume();
  });

  // Now playing ------------------------------------------------------------

  let current = null;
  let artworkKey = null;
  let positionAt = 0;

  function render(state) {
    state = heldPosition(state);
    current = state;
    const running = !!state.player;
    const track = running ? state.track : null;
    $('banner').hidden = running;

    $('track-name').textContent = track ? track.name : t('PageNothingPlaying');
    $('track-name').title = track ? track.name : '';
    $('track-artist').textContent = track ? track.artist : '';
    $('track-album').textContent = track ? track.album : '';
    document.title = track && track.name ? `${track.name} - Kolibrix` : texts.PageTitle || 'Kolibrix';
    showArtwork(track && track.artwork ? String(track.id) : null);

    const playing = running && state.state === 'playing';
    // Fast-forward and rewind: said so, with the time held; the big button resumes playing.
    const seeking = running && (state.state === 'fastforward' || state.state === 'rewind');
    $('play-mode').hidden = !seeking;
    $('play-mode').textContent = seeking ? t(state.state === 'rewind' ? 'PageRewind' : 'PageFastForward') : '';
    $('playpause-icon').setAttribute('href', playing ? '#i-pause' : '#i-play');
    label($('playpause'), playing ? 'PagePause' : seeking ? 'PageResume' : 'PagePlay');
    $('playpause').dataset.playing = playing ? '1' : '0';

    positionAt = performance.now();
    showPosition();
    if (playing && track && !offline) startTicking();
    else stopTicking();

    if (!volumeHeld()) showVolume(running ? Number(state.volume) || 0 : null, running && !!state.mute);
    $('mute').setAttribute('aria-pressed', String(!!state.mute));
    $('mute-icon').setAttribute('href', state.mute ? '#i-muted' : '#i-vol');
    label($('mute'), state.mute ? 'PageUnmute' : 'PageMute');
    $('shuffle').setAttribute('aria-pressed', String(!!state.shuffle));
    $('shuffle-text').textContent = t(state.shuffle ? 'PageShuffleOn' : 'PageShuffleOff');
    const repeat = { one: 'One', all: 'All' }[state.repeat] || 'Off';
    $('repeat').setAttribute('aria-pressed', String(repeat !== 'Off'));
    $('repeat-text').textContent = t(`PageRepeat${repeat}`);

    const stars = track ? Math.round((track.rating || 0) / 20) : 0;
    for (const star of document.querySelectorAll('.star')) {
      const n = Number(star.dataset.stars);
      star.classList.toggle('on', n <= stars);
      star.setAttribute('aria-pressed', String(n === stars));
      star.disabled = !track || offline;
    }
    // Not running: Play still starts the player (the server refuses where that is not allowed).
    for (const id of ['prev', 'next', 'mute', 'vol-down', 'vol-up', 'volume', 'shuffle', 'repeat']) {
      $(id).disabled = !running || offline;
    }
    $('playpause').disabled = offline;
    $('banner-start').disabled = offline;
    $('seek').disabled = !track || !track.duration || offline;
    document.dispatchEvent(new CustomEvent('kx-state', { detail: { running } }));
  }

  // An SVG element has no hidden property: the attribute itself.
  function placeholder(shown) {
    $('art-placeholder').toggleAttribute('hidden', !shown);
  }

  function showArtwork(key) {
    if (key === artworkKey) return;
    artworkKey = key;
    const img = $('artwork');
    if (key == null) {
      img.hidden = true;
      img.removeAttribute('src');
      placeholder(true);
      return;
    }
    img.src = `/api/artwork?t=${encodeURIComponent(key)}`;
  }

  $('artwork').addEventListener('load', () => {
    $('artwork').hidden = false;
    placeholder(false);
  });
  $('artwork').addEventListener('error', () => {
    $('artwork').hidden = true;
    placeholder(true);
  });

  function clock(seconds) {
    const s = Math.max(0, Math.floor(seconds));
    const h = Math.floor(s / 3600);
    const m = Math.floor((s % 3600) / 60);
    const ss = String(s % 60).padStart(2, '0');
    return h ? `${h}:${String(m).padStart(2, '0')}:${ss}` : `${m}:${ss}`;
  }

  // Between events the position advances here, from the last one's figure;
  // under the finger the slider and the time show where it would go.
  function showPosition() {
    const track = current && current.player ? current.track : null;
    const duration = track ? track.duration || 0 : 0;
    let position = track ? track.position || 0 : 0;
    if (ticker) position += (performance.now() - positionAt) / 1000;
    if (duration) position = Math.min(position, duration);
    const seek = $('seek');
    if (seek.max !== String(duration)) seek.max = String(duration);
    if (seekTrack == null) seek.value = String(Math.floor(position));
    const shown = seekTrack == null ? position : Number(seek.value);
    $('position').textContent = clock(shown);
    $('duration').textContent = clock(duration);
    seek.setAttribute('aria-valuetext', t('PagePositionOf', clock(shown), clock(duration)));
  }

  let ticker = 0;
  function startTicking() {
    if (!ticker) ticker = setInterval(showPosition, 250);
  }
  function stopTicking() {
    clearInterval(ticker);
    ticker = 0;
  }

  // Position: the slider sends where it was let go, once; the stream's echoes
  // of the old position are passed over for a moment after that.
  let seekTrack = null;
  let seekHold = null;
  let seekPending = null;
  let seekSending = false;

  function heldPosition(state) {
    const track = state.player ? state.track : null;
    if (!seekHold || !track || track.id !== seekHold.id || performance.now() > seekHold.until) {
      seekHold = null;
      return state;
    }
    const moving = state.state === 'playing' ? (performance.now() - seekHold.at) / 1000 : 0;
    return { ...state, track: { ...track, position: seekHold.seconds + moving } };
  }

  function holdSeek() {
    if (seekTrack == null && current && current.track) seekTrack = current.track.id;
  }

  async function sendPosition(seconds) {
    const now = performance.now();
    seekHold = { id: current.track.id, seconds, at: now, until: now + 2000 };
    render(current);
    seekPending = seconds;
    if (seekSending) return;
    seekSending = true;
    while (seekPending != null) {
      const body = { seconds: seekPending };
      seekPending = null;
      let response;
      try {
        response = await post('/api/position', body);
      } catch (e) {
        response = null;
      }
      if (response && response.ok) continue;
      // Not moved: the clock goes back to what the player says.
      seekHold = null;
      seekPending = null;
      const key = response ? failureKey(response.status) : 'PageOffline';
      if (response && response.status === 401) showPairing(t('PageUnpaired'));
      else toast(key ? t(key) : t('PageActionFailed', await errorText(response)));
      const state = response && response.status !== 401 ? await fetchState() : null;
      if (state && state.ok) render(await state.json());
    }
    seekSending = false;
  }

  // The text for a refusal that says more than its status; null for the others.
  function failureKey(status) {
    return { 429: 'PageBusy', 503: 'PagePlayerNotRunning', 504: 'PagePlayerBusy' }[status] || null;
  }

  const seekBar = $('seek');
  seekBar.addEventListener('pointerdown', holdSeek);
  seekBar.addEventListener('input', () => {
    holdSeek();
    showPosition();
  });
  // A release that changed nothing lets the clock have the slider back.
  for (const type of ['pointerup', 'pointercancel', 'blur']) {
    seekBar.addEventListener(type, () =>
      setTimeout(() => {
        seekTrack = null;
        showPosition();
      }, 0),
    );
  }
  seekBar.addEventListener('change', () => {
    const id = seekTrack;
    seekTrack = null;
    // The track changed under the finger: the place meant the old one.
    if (current && current.track && current.track.id === id) sendPosition(Number(seekBar.value));
    else showPosition();
  });

  // Controls ---------------------------------------------------------------

  // sent: the name to confirm with once the program took the action.
  async function act(action, params, sent) {
    const body = params ? { action, params } : { action };
    let response;
    try {
      response = await post('/api/action', body);
    } catch (e) {
      return toast(t('PageOffline'));
    }
    if (response.ok) {
      if (sent) toast(t('PageSent', sent), 1500);
      return;
    }
    if (response.status === 401) return showPairing(t('PageUnpaired'));
    const message = {
      400: 'PageActionUnknown',
      403: 'PageActionRefused',
      429: 'PageBusy',
      503: 'PagePlayerNotRunning',
    }[response.status];
    toast(message ? t(message) : t('PageActionFailed', await errorText(response)));
  }

  $('prev').addEventListener('click', () => act('PreviousTrack'));
  $('playpause').addEventListener('click', () => {
    const mode = current && current.player ? current.state : '';
    act(mode === 'fastforward' || mode === 'rewind' ? 'Resume' : 'PlayPause');
  });
  $('banner-start').addEventListener('click', () => act('Boot', null, t('PageStartPlayer')));
  $('next').addEventListener('click', () => act('NextTrack'));
  $('mute').addEventListener('click', () => act('Mute'));
  $('shuffle').addEventListener('click', () => act('Shuffle'));
  $('repeat').addEventListener('click', () => act('Repeat'));

  for (const star of document.querySelectorAll('.star')) {
    const n = Number(star.dataset.stars);
    // Tapping the rating the track has clears it.
    star.addEventListener('click', () => {
      const rating = current && current.track ? current.track.rating || 0 : 0;
      act('Rating', [`=${Math.round(rating / 20) === n ? 0 : n * 20}`]);
    });
  }

  // Volume: while the finger is on the slider, or shortly after a change was
  // sent, the page shows its own figure instead of the stream's echoes.
  let dragging = false;
  let holdUntil = 0;
  let volumeTimer = 0;
  let volumePending = null;
  let volumeSentAt = 0;
  const volumeEvery = 200;

  function volumeHeld() {
    return dragging || performance.now() < holdUntil;
  }

  // null: not known (no player); muted: the figure is kept but shown as silent.
  function showVolume(volume, muted) {
    const slider = $('volume');
    slider.value = String(volume ?? 0);
    $('volume-value').textContent = volume == null ? '\u2013' : String(volume);
    slider.closest('.volume').classList.toggle('muted', !!muted);
    if (volume == null) slider.setAttribute('aria-valuetext', '\u2013');
    else if (muted) slider.setAttribute('aria-valuetext', t('PageMutedVolume', volume));
    else slider.removeAttribute('aria-valuetext');
  }

  function sendVolume(volume, now) {
    volumePending = volume;
    const wait = now ? 0 : volumeEvery - (performance.now() - volumeSentAt);
    if (wait <= 0) flushVolume();
    else if (!volumeTimer) volumeTimer = setTimeout(flushVolume, wait);
  }

  function flushVolume() {
    clearTimeout(volumeTimer);
    volumeTimer = 0;
    if (volumePending == null) return;
    const volume = volumePending;
    volumePending = null;
    volumeSentAt = performance.now();
    holdUntil = volumeSentAt + 1500;
    act('Volume', [`=${volume}`]);
  }

  const slider = $('volume');
  slider.addEventListener('pointerdown', () => {
    dragging = true;
  });
  for (const type of ['pointerup', 'pointercancel']) {
    slider.addEventListener(type, () => {
      dragging = false;
    });
  }
  slider.addEventListener('input', () => {
    $('volume-value').textContent = slider.value;
    sendVolume(Number(slider.value), false);
  });
  slider.addEventListener('change', () => {
    dragging = false;
    sendVolume(Number(slider.value), true);
  });

  function stepVolume(delta) {
    const volume = Math.max(0, Math.min(100, Number(slider.value) + delta));
    showVolume(volume, current && current.mute);
    sendVolume(volume, true);
  }
  $('vol-down').addEventListener('click', () => stepVolume(-5));
  $('vol-up').addEventListener('click', () => stepVolume(5));

  // The action lists, grouped as in the tray menu.
  async function loadActions() {
    let response;
    try {
      response = await fetch(`/api/actions?lang=${lang}`, { credentials: 'same-origin' });
    } catch (e) {
      return;
    }
    if (!response.ok) return;
    const lists = await response.json();
    const root = $('action-groups');
    root.replaceChildren();
    for (const group of lists.groups || []) {
      if (!group.items || !group.items.length) continue;
      const details = document.createElement('details');
      const summary = document.createElement('summary');
      summary.textContent = group.name;
      const items = document.createElement('div');
      items.className = 'items';
      for (const item of group.items) {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = item.name || item.id;
        if (item.desc) button.title = item.desc;
        button.dataset.action = item.id;
        const name = item.name || item.id;
        // Quitting the player ends what plays on the PC: asked first.
        button.addEventListener('click', async () => {
          if (/^(Boot)?Quit$/i.test(item.id) && !(await confirmAction(t('PageConfirmQuit'), t('PageQuitPlayer')))) return;
          act(item.id, null, name);
        });
        items.append(button);
      }
      details.append(summary, items);
      root.append(details);
    }
    if (!root.childElementCount) {
      const none = document.createElement('p');
      none.className = 'hint';
      none.textContent = t('PageNoActions');
      root.append(none);
    }
    actionsLoaded = true;
  }

  // The PC's QR code carries a ticket in the fragment, which no server log
  // sees: it is posted once and taken out of the address, so a reload or a
  // bookmark does not send it again.
  async function pairByTicket() {
    const match = /^#pair=([0-9a-f]{32})$/.exec(location.hash);
    if (!match) return false;
    history.replaceState(null, '', location.pathname + location.search);
    const name = localStorage.getItem('kx-device') || guessDeviceName();
    let response;
    try {
      response = await post('/api/pair', { ticket: match[1], name });
    } catch (e) {
      showPairing(t('PageOffline'));
      return true;
    }
    if (response.ok) return false;
    const closed = response.status === 403 && /closed/.test(await errorText(response));
    showPairing(t(response.status === 429 ? 'PagePairLocked' : closed ? 'PagePairClosed' : 'PagePairTicketUsed'));
    return true;
  }

  // A link opened while the page is open changes only the fragment.
  window.addEventListener('hashchange', async () => {
    if (/^#pair=/.test(location.hash) && !(await pairByTicket())) resume();
  });

  // What the search and playlists (browse.js) share with this page.
  window.kx = Object.freeze({
    t,
    post,
    toast,
    clock,
    errorText,
    failureKey,
    showPairing,
    addFallback: (more) => Object.assign(fallback, more),
  });

  // The state is asked for with the texts, unless a ticket is to pair first.
  const early = /^#pair=/.test(location.hash) ? null : fetchState();
  loadTexts().then(async () => {
    document.body.classList.remove('loading');
    if (!(await pairByTicket())) resume(early);
  });
})();
